#include "DocumentFixture.h"
#include "settings/Preferences.h"

#include <QFileInfo>

#include <algorithm>

namespace {

class Extraction : public DocumentTest {};

TEST_F(Extraction, PlacesTheResultUnderAFreeNameBesideTheArchive) {
    struct Case {
        const char *label;
        const char *entries;   // "a, b", each holding its own name
        const char *existing;  // folders beside the archive before extracting
        const char *selection; // entry paths; none extracts the whole archive
        int times;
        const char *placed;        // the new items beside the archive
        const char *firstContents; // what the first new folder holds
    };
    const Case cases[] = {
        {"one folder beside a folder of its name", "docs/x.txt", "docs", "", 1, "docs 2", "x.txt"},
        {"several top-level items, twice", "x.txt, y.txt", "", "", 2, "a a 2", "x.txt y.txt"},
        {"two entries inside folder f", "f/a.txt, f/b.txt, f/c.txt", "", "f/a.txt, f/b.txt", 1, "f",
         "a.txt b.txt"},
        {"two entries inside folder f, f taken", "f/a.txt, f/b.txt", "f", "f/a.txt, f/b.txt", 1,
         "f 2", "a.txt b.txt"},
        {"one selected file, twice", "f/a.txt, f/b.txt", "", "f/a.txt", 2, "a 2.txt a.txt", ""},
        {"an empty archive", "", "", "", 1, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        QList<std::pair<QString, QByteArray>> entries;
        for (const QString &name : ArchiveKit::listOf(c.entries))
            entries.append({name, name.toUtf8()});
        makeZip("a.zip", entries);
        for (const QString &folder : ArchiveKit::listOf(c.existing))
            QDir(dir_.path()).mkdir(folder);
        const QStringList before = namesIn();
        open("a.zip");
        ui_.calls.clear();
        for (int i = 0; i < c.times; ++i) {
            ui_.selectedCurrent.clear();
            for (const QString &path : ArchiveKit::listOf(c.selection))
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

// A cancelled chooser is UnwritableFolder's (the same chooser step).
TEST_F(Extraction, ExtractAsPlacesIntoTheChosenFolder) {
    makeZip("a.zip", {{"docs/x.txt", "x"}});
    QDir(dir_.path()).mkdir("out");
    open("a.zip");
    ui_.directories = {dir_.file("out")};
    run(&ArchiveDocument::extractTo);
    EXPECT_EQ(ui_.callsStartingWith("chooser:"), QStringList{"chooser:"}) << "no opening folder";
    EXPECT_EQ(read("out/docs/x.txt"), "x");
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

// Entries that declare sizes far beyond their data: no allocation of that size, the reader's
// error, nothing placed. (Under AddressSanitizer an allocation that size would abort the test.)
TEST_F(Extraction, AbsurdSizesGiveAnErrorNotAnAllocation) {
    shell("mkdir -p z t && /usr/bin/python3 -c \"import tarfile, zipfile\n"
          "zipfile.ZipFile('z/big.zip', 'w').writestr('big.bin', b'0123456789')\n"
          "i = tarfile.TarInfo('big.bin'); i.size = 2**62\n"
          "open('t/big.tar', 'wb').write(i.tobuf(tarfile.GNU_FORMAT) + b'0123456789')\" && "
          "/usr/bin/python3 " KIST_TEST_DATA
          "/archive_maker.py claim-zip-size z/big.zip 4294967280");
    // The reader's own error, not a failed allocation's.
    const std::pair<QString, QString> rows[] = {
        {"z/big.zip", "big.bin is damaged: its data does not match its checksum"},
        {"t/big.tar", "Archive issues"},
    };
    for (const auto &[name, message] : rows) {
        SCOPED_TRACE(name.toStdString());
        ui_.calls.clear();
        open(name);
        if (document_.isViewing()) {
            run(&ArchiveDocument::extractAll);
        }
        const QStringList alerts = ui_.callsStartingWith("alert:");
        EXPECT_FALSE(alerts.isEmpty());
        for (const QString &alert : alerts)
            EXPECT_EQ(alert, "alert:" + message);
        EXPECT_EQ(namesIn(name.left(1)), QStringList{name.mid(2)});
    }
}

class CompressionBomb : public DocumentTest, public ::testing::WithParamInterface<QString> {};

// 100 MB of zeros packed into a few hundred kilobytes: the extraction shows progress while the
// one entry is written, not once it is done. (Cancelling one is in the readers' conformance
// table and CancelAtEveryPhase.)
TEST_P(CompressionBomb, ExtractsWithProgressAsTheEntryIsWritten) {
    constexpr qint64 kSize = 100 << 20;
    const QString name = "zeros." + GetParam();
    ASSERT_FALSE(ArchiveKit::makeZeros(dir_.file(name), kSize).isEmpty());
    open(name);
    ASSERT_TRUE(document_.isViewing());
    QList<quint64> values;
    ui_.onProgressValue = [&](quint64 value) {
        values.append(value);
    };
    run(&ArchiveDocument::extractAll);
    EXPECT_GE(values.size(), 5) << "progress shows while the entry is written";
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    const QString placed = GetParam() == QLatin1String("zip") ? "zeros.bin" : "zeros";
    EXPECT_EQ(QFileInfo(dir_.file(placed)).size(), kSize);
    EXPECT_EQ(namesIn(), (QStringList{placed, name}));
}

INSTANTIATE_TEST_SUITE_P(Formats, CompressionBomb, ::testing::Values("zip", "gz", "bz2"),
                         [](const auto &testInfo) { return testInfo.param.toStdString(); });

} // namespace
