#include "DocumentFixture.h"
#include "document/PreviewContent.h"
#include "settings/RememberedEncodings.h"
#include "util/TempFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// An entry with only a name and a size, as the archive lists it before extracting.
ArchiveEntry named(const QString &name, quint64 size) {
    EntryFields fields;
    fields.uncompressedSize = size;
    return ArchiveEntry(name, fields);
}

// A file of the size; sparse, so large sizes cost nothing.
QString sizedFile(const ScratchDir &dir, const QString &name, qint64 size) {
    QFile file(dir.file(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
    return file.fileName();
}

} // namespace

// A file is viewed as text or a picture by its size, extension and MIME type; an entry is offered
// for preview by its own size and name only.
TEST(PreviewContentRules, SizeLimitsExtensionsAndMimeTypeDecide) {
    ScratchDir dir;
    struct Case {
        const char *name;
        qint64 size;
        QByteArray contents; // written instead of the size when given
        bool text;
        bool picture;
    };
    const QList<Case> cases = {
        {"exact.txt", 1048576, {}, true, false},
        {"over.txt", 1048577, {}, false, false},
        {"big.jpg", 1048577, {}, false, true},
        {"limit.png", 20971520, {}, false, true},
        {"over.png", 20971521, {}, false, false},
        {"scan.tiff", 1000, {}, true, true},
        {"Upper.TXT", 10, {}, true, false},
        {"notes", 0, "plain words on a line\nand another\n", true, false},
        {"empty", 0, {}, false, false},
        {"blob.bin", 0, QByteArray::fromHex("7f454c46020101000000"), false, false},
    };
    for (const Case &c : cases) {
        const QString path =
            c.contents.isEmpty() ? sizedFile(dir, c.name, c.size) : dir.write(c.name, c.contents);
        EXPECT_EQ(PreviewContent::canView(path), c.text) << c.name;
        EXPECT_EQ(PreviewContent::isPicturePreview(path), c.picture) << c.name;
    }

    const struct {
        const char *name;
        quint64 size;
        bool offered;
    } entries[] = {
        {"ten.txt", 10485760, true},   {"over.txt", 10485761, false}, {"over.png", 10485761, true},
        {"huge.png", 20971521, false}, {"sub/deep.c", 10, true},      {"notes", 10, false},
        {"archive.zip", 10, false},    {"scan.tiff", 10485761, true},
    };
    for (const auto &entry : entries)
        EXPECT_EQ(PreviewContent::canPreview(named(entry.name, entry.size)), entry.offered)
            << entry.name;

    // A file of the entry's name in the working folder ("notes", text/plain) has no say.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    EXPECT_FALSE(PreviewContent::canPreview(named("notes", 10)));
    QDir::setCurrent(previous);
}

// Only a copy of the item's own name and size is shown: text in the encoding remembered for it,
// a picture, or else (and when there is no copy) the icon.
TEST(PreviewContentRules, ResultsForAnotherItemAreDroppedAndNoPathShowsTheIcon) {
    clearSettings();
    ScratchDir dir;
    // "Привет, мир" in windows-1251: valid in several single-byte code pages.
    const QString path = dir.write("a.txt", QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0"));
    RememberedEncodings::remember(path, "windows-1251");
    using Kind = PreviewContent::Kind;

    for (const std::optional<QString> &none :
         {std::optional<QString>(), std::optional(QString())}) {
        const auto content = PreviewContent::forFile(named("a.txt", 11), none);
        ASSERT_TRUE(content);
        EXPECT_EQ(content->kind, Kind::Icon);
    }
    EXPECT_FALSE(PreviewContent::forFile(named("b.txt", 11), path)) << "other name";
    EXPECT_FALSE(PreviewContent::forFile(named("a.txt", 12), path)) << "other size";

    const auto shown = PreviewContent::forFile(named("a.txt", 11), path);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->kind, Kind::Text);
    EXPECT_EQ(shown->text, QString::fromUtf8("Привет, мир"));

    const QString picture = sizedFile(dir, "p.png", 64);
    EXPECT_EQ(PreviewContent::forFile(named("p.png", 64), picture)->kind, Kind::Picture);
    const QString other = sizedFile(dir, "o.bin", 64);
    EXPECT_EQ(PreviewContent::forFile(named("o.bin", 64), other)->kind, Kind::Icon);
    clearSettings();
}

class Preview : public DocumentTest {};

// Entries not worth extracting, folders and several entries start nothing; a copy is not handed
// over once another entry is selected, even one of the same name and size (which passes the
// pane's own checks). Preview extracts without a sheet and removes its copy once handed over;
// View extracts under the sheet and keeps the copy for the application it opens.
TEST_F(Preview, PreviewHandsOverATransientCopyViewKeepsOne) {
    makeZip("a.zip",
            {{"docs/readme.txt", "read me"},
             {"big.txt", QByteArray(10485761, 'x')},
             {"f/x.bin", "x"},
             {"same/n.txt", "first!"},
             {"other/n.txt", "second"}},
            "-1");
    open("a.zip");
    for (const char *path : {"big.txt", "f/x.bin", "f/"}) {
        select(path);
        document_.viewFileInPreview();
        EXPECT_FALSE(document_.isExecuting()) << path;
    }
    ui_.selectedCurrent = {entry("big.txt"), entry("f/x.bin")};
    document_.viewFileInPreview();
    EXPECT_FALSE(document_.isExecuting());
    select("same/n.txt");
    // The selection moves while the copy is being made, before any new request.
    ui_.onProgressValue = [this](quint64) {
        select("other/n.txt");
    };
    run(&ArchiveDocument::viewFileInPreview);
    EXPECT_TRUE(pane_.deliveries.isEmpty());

    ui_.onProgressValue = nullptr;
    ui_.calls.clear();
    select("docs/readme.txt");
    run(&ArchiveDocument::viewFileInPreview);
    ASSERT_EQ(pane_.deliveries.size(), 1);
    const auto &delivered = pane_.deliveries.first();
    ASSERT_TRUE(delivered.path);
    EXPECT_EQ(QFileInfo(*delivered.path).fileName(), "readme.txt");
    EXPECT_EQ(delivered.contents, "read me");
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(*delivered.path).absolutePath()));

    run(&ArchiveDocument::viewFile);
    const QStringList opened = ui_.callsStartingWith("open:");
    ASSERT_EQ(opened.size(), 1);
    const QString path = opened.first().mid(5);
    EXPECT_EQ(QFileInfo(path).fileName(), "readme.txt");
    EXPECT_TRUE(path.startsWith(TempFolders::root()));
    EXPECT_EQ(ArchiveKit::readFile(path), "read me");
    EXPECT_EQ(ui_.callsStartingWith("sheet"), QStringList{"sheet:determinate"}) << "View's only";
    EXPECT_EQ(ui_.callsStartingWith("hide"), QStringList{"hide:0"});
    EXPECT_EQ(pane_.deliveries.size(), 1) << "View hands nothing to the pane";
}

// View asks, and a wrong password leaves nothing behind. (Preview shows the icon without asking:
// WindowPreview.TextPicturesAndTheIconOfAnEncryptedEntryShow.)
TEST_F(Preview, AnEncryptedEntryIsViewedWithItsPassword) {
    makeZip("e.zip", {{"secret.txt", "hidden words"}}, "-P pw");
    open("e.zip");
    select("secret.txt");
    const QStringList before = temporaries();
    ui_.passwords = {QStringLiteral("wrong")};
    run(&ArchiveDocument::viewFile);
    EXPECT_TRUE(ui_.callsStartingWith("open:").isEmpty());
    EXPECT_EQ(ui_.callsStartingWith("alert:").size(), 1);
    EXPECT_EQ(temporaries(), before) << "a failed view leaves nothing behind";

    ui_.passwords = {QStringLiteral("pw")};
    run(&ArchiveDocument::viewFile);
    const QStringList opened = ui_.callsStartingWith("open:");
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(ArchiveKit::readFile(opened.first().mid(5)), "hidden words");
}

// A newer selection supersedes a running preview; a running preview gives way to an extraction.
TEST_F(Preview, ARunningPreviewGivesWayToANewerOneAndToAnExtraction) {
    makeZip("a.zip", {{"first.txt", noise(4 << 20, 7).toHex()}, {"second.txt", "second"}});
    open("a.zip");
    select("first.txt");
    document_.viewFileInPreview();
    ASSERT_TRUE(document_.isExecuting());
    select("second.txt");
    run(&ArchiveDocument::viewFileInPreview);
    ASSERT_TRUE(
        waitUntil([this] { return !pane_.deliveries.isEmpty() && !document_.isExecuting(); }));
    ASSERT_EQ(pane_.deliveries.size(), 1);
    EXPECT_EQ(pane_.deliveries.first().contents, "second");

    select("first.txt");
    document_.viewFileInPreview();
    ASSERT_TRUE(document_.isExecuting());
    run(&ArchiveDocument::extractAll);
    EXPECT_EQ(namesIn(), (QStringList{"a", "a.zip"}));
    EXPECT_EQ(QFileInfo(dir_.file("a/first.txt")).size(), 8 << 20);
}

TEST_F(Preview, ALinkEntryIsNeitherFollowedNorOpenedUp) {
    const QString secret = dir_.write("secret.txt", "private");
    ASSERT_TRUE(QFile::setPermissions(secret, QFile::ReadOwner | QFile::WriteOwner));
    shell(QStringLiteral("mkdir src && ln -s '%1' src/link.txt && cd src && zip -qy ../l.zip "
                         "link.txt")
              .arg(secret));
    open("l.zip");
    ASSERT_TRUE(entry("link.txt"));
    select("link.txt");
    run(&ArchiveDocument::viewFileInPreview);
    run(&ArchiveDocument::viewFile);
    EXPECT_EQ(QFile::permissions(secret),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    for (const auto &delivered : pane_.deliveries)
        EXPECT_NE(delivered.contents, "private");
    EXPECT_TRUE(ui_.callsStartingWith("open:").isEmpty());
}
