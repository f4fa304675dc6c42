#include "DocumentFixture.h"
#include "settings/Preferences.h"

namespace {

class Extraction : public DocumentTest {
protected:
    // The names separated by spaces.
    static QStringList words(const char *names) {
        return QString(names).split(' ', Qt::SkipEmptyParts);
    }
};

TEST_F(Extraction, PlacesTheResultUnderAFreeNameBesideTheArchive) {
    struct Case {
        const char *label;
        const char *entries;   // each holds its own name
        const char *existing;  // folders beside the archive before extracting
        const char *selection; // entry paths; none extracts the whole archive
        int times;
        const char *placed;        // the new items beside the archive
        const char *firstContents; // what the first new folder holds
    };
    const Case cases[] = {
        {"one folder beside a folder of its name", "docs/x.txt", "docs", "", 1, "docs 2", "x.txt"},
        {"several top-level items, twice", "x.txt y.txt", "", "", 2, "a a 2", "x.txt y.txt"},
        {"two entries inside folder f", "f/a.txt f/b.txt f/c.txt", "", "f/a.txt f/b.txt", 1, "f",
         "a.txt b.txt"},
        {"two entries inside folder f, f taken", "f/a.txt f/b.txt", "f", "f/a.txt f/b.txt", 1,
         "f 2", "a.txt b.txt"},
        {"one selected file, twice", "f/a.txt f/b.txt", "", "f/a.txt", 2, "a 2.txt a.txt", ""},
        {"an empty archive", "", "", "", 1, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        QList<std::pair<QString, QByteArray>> entries;
        for (const QString &name : words(c.entries))
            entries.append({name, name.toUtf8()});
        makeZip("a.zip", entries);
        for (const QString &folder : words(c.existing))
            QDir(dir_.path()).mkdir(folder);
        const QStringList before = namesIn();
        open("a.zip");
        ui_.calls.clear();
        for (int i = 0; i < c.times; ++i) {
            ui_.selectedCurrent.clear();
            for (const QString &path : words(c.selection))
                ui_.selectedCurrent.append(entry(path));
            ASSERT_FALSE(ui_.selectedCurrent.contains(nullptr));
            run(ui_.selectedCurrent.isEmpty() ? &ArchiveDocument::extractAll
                                              : &ArchiveDocument::extractSelected);
        }
        QStringList placed = namesIn();
        for (const QString &name : before)
            placed.removeOne(name);
        EXPECT_EQ(placed.join(' ').toStdString(), c.placed) << "no hidden staging folder either";
        if (*c.firstContents) {
            EXPECT_EQ(namesIn(placed.value(0)).join(' ').toStdString(), c.firstContents);
        }
        EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty());
        EXPECT_EQ(ui_.calls.contains("close"), !*c.selection)
            << "only a whole extraction closes the window";
        shell("rm -rf ./*");
    }
}

TEST_F(Extraction, ExtractAsPlacesIntoTheChosenFolderOrNowhere) {
    makeZip("a.zip", {{"docs/x.txt", "x"}});
    QDir(dir_.path()).mkdir("out");
    open("a.zip");
    ui_.directories = {dir_.file("out"), std::nullopt};
    run(&ArchiveDocument::extractTo);
    EXPECT_EQ(ui_.callsStartingWith("chooser:"), QStringList{"chooser:"}) << "no opening folder";
    EXPECT_EQ(read("out/docs/x.txt"), "x");

    ui_.calls.clear();
    run(&ArchiveDocument::extractTo);
    EXPECT_EQ(document_.destination(), QString()) << "a cancelled chooser forgets the folder";
    EXPECT_EQ(ui_.calls, QStringList{"chooser:"});
    EXPECT_EQ(namesIn(), (QStringList{"a.zip", "out"}));
}

TEST_F(Extraction, WhatWasLeftOutIsShownAndKeepsTheWindowOpen) {
    Preferences::setCloseAfterExtract(true);
    shell("mkdir -p src/d && cd src && echo x > d/x.txt && ln -s /etc/hosts d/far && "
          "zip -qry ../l.zip d");
    open("l.zip");
    run(&ArchiveDocument::extractAll);
    EXPECT_EQ(read("d/x.txt"), "x\n");
    EXPECT_FALSE(QFileInfo(dir_.file("d/far")).isSymLink());
    const QStringList alerts = ui_.callsStartingWith("alert:");
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts.first().contains("far")) << alerts.first().toStdString();
    EXPECT_FALSE(ui_.calls.contains("close"));
}

TEST_F(Extraction, AZipsDataPasswordIsAskedWhenExtracting) {
    makeZip("p.zip", {{"secret.txt", "hidden words"}}, "-P s3cret");
    open("p.zip");
    EXPECT_TRUE(ui_.callsStartingWith("password:").isEmpty()) << "names are not enciphered";
    EXPECT_EQ(topEntries(), QStringList{"secret.txt"});
    const std::optional<QString> answers[] = {std::nullopt, QString(), "wrong", "s3cret"};
    for (const std::optional<QString> &answer : answers) {
        SCOPED_TRACE(answer.value_or("(cancelled)").toStdString());
        const bool right = answer == "s3cret";
        ui_.calls.clear();
        ui_.passwords = {answer};
        run(&ArchiveDocument::extractAll);
        EXPECT_EQ(ui_.callsStartingWith("password:").size(), 1);
        EXPECT_EQ(read("secret.txt"), right ? "hidden words" : "");
        EXPECT_EQ(ui_.callsStartingWith("alert:").size(), answer == "wrong" ? 1 : 0);
        EXPECT_EQ(namesIn().size(), right ? 2 : 1) << "nothing else is left";
    }
}

// A damaged entry fails with a reader error, shown whether the whole archive or a selection was
// being extracted; nothing is placed and the window stays open.
TEST_F(Extraction, ReaderErrorsAreShownForWholeAndPartialExtraction) {
    makeZip("c.zip", {{"f/good.txt", "good"}, {"f/bad.txt", QByteArray(1000, 'B')}});
    const QByteArray zip = read("c.zip");
    dir_.write("c.zip", ArchiveKit::flipped(zip, zip.indexOf(QByteArray(1000, 'B')) + 500, 1));
    open("c.zip");
    select("f/bad.txt");
    for (const bool whole : {true, false}) {
        ui_.calls.clear();
        run(whole ? &ArchiveDocument::extractAll : &ArchiveDocument::extractSelected);
        EXPECT_EQ(ui_.callsStartingWith("alert:").size(), 1) << whole;
        EXPECT_FALSE(ui_.calls.contains("close"));
        EXPECT_EQ(namesIn(), QStringList{"c.zip"});
    }
}

} // namespace
