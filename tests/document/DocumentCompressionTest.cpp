#include "DocumentFixture.h"
#include "document/CompressionJob.h"
#include "document/FileSystemNode.h"
#include "settings/Preferences.h"
#include "zip/LibarchiveWriter.h"

namespace {

class Compression : public DocumentTest {
protected:
    // The gathered items' names, and the item of that name, as the browser's first column shows
    // them.
    QStringList listedNames() const {
        QStringList names;
        for (const FileSystemNode::Ptr &node : document_.rootNode()->children())
            names.append(node->name());
        return names;
    }
    IFileEntry *listed(const QString &name) const {
        return document_.rootNode()->children().value(listedNames().indexOf(name)).get();
    }
};

TEST_F(Compression, GatheringAndDeletingMoveBetweenEmptyAndComposing) {
    dir_.write("Photo.jpg", "p");
    dir_.write("notes.txt", "n");
    dir_.write("other/photo.JPG", "q");
    EXPECT_TRUE(document_.isEmpty());
    EXPECT_FALSE(document_.canZip());
    document_.showInFolder(); // an empty window shows nothing

    ui_.pickedFiles = {dir_.file("Photo.jpg"), dir_.file("notes.txt")};
    document_.add();
    EXPECT_EQ(ui_.calls, (QStringList{"pick", "reload", "toolbar"}));
    EXPECT_TRUE(document_.isComposing());
    document_.addFiles({dir_.file("other/photo.JPG"), dir_.file("Photo.jpg")});
    EXPECT_EQ(listedNames(), (QStringList{"Photo.jpg", "notes.txt"})) << "no duplicates";
    EXPECT_TRUE(document_.canZip());
    EXPECT_FALSE(document_.canDelete()) << "nothing selected";
    // Reveal shows the first item, or the selected one; an archive is revealed by CommandsTest.
    ui_.calls.clear();
    document_.showInFolder();
    ui_.selectedCurrent = {listed("notes.txt")};
    document_.showInFolder();
    document_.openArchiveFolder();
    ui_.selectedCurrent.clear();
    EXPECT_EQ(ui_.calls, (QStringList{"reveal:" + dir_.file("Photo.jpg"),
                                      "reveal:" + dir_.file("notes.txt"), "open:" + dir_.path()}))
        << "the archive's folder command opens the folder of the first item";

    ui_.selectedZero = {listed("notes.txt")};
    EXPECT_TRUE(document_.canDelete());
    document_.deleteSelected();
    EXPECT_EQ(listedNames(), QStringList{"Photo.jpg"});
    EXPECT_TRUE(document_.isComposing());
    ui_.selectedZero = {listed("Photo.jpg")};
    document_.deleteSelected();
    EXPECT_TRUE(document_.isEmpty());
    EXPECT_FALSE(document_.canZip());
    EXPECT_TRUE(QFile::exists(dir_.file("notes.txt"))) << "nothing is deleted on disk";
}

TEST_F(Compression, GatheredFoldersHonourTheHiddenFilesPreference) {
    dir_.write("f/.hidden", "h");
    dir_.write("f/shown.txt", "s");
    auto folder = FileSystemNode::create(dir_.file("f"));
    EXPECT_FALSE(folder->isLeaf());
    EXPECT_EQ(folder->children().size(), 2);

    Preferences::setIgnoreHiddenFiles(true);
    EXPECT_EQ(folder->children().size(), 2) << "cached until invalidated";
    folder->invalidateChildren();
    ASSERT_EQ(folder->children().size(), 1);
    EXPECT_EQ(folder->children().first()->name(), "shown.txt");
}

TEST_F(Compression, AnOpenedArchiveIsNeverAddedTo) {
    makeZip("k.zip", {{"a.txt", "a"}});
    dir_.write("b.txt", "b");
    open("k.zip");
    document_.addFiles({dir_.file("b.txt")});
    EXPECT_TRUE(document_.isViewing());
    EXPECT_TRUE(listedNames().isEmpty());
    EXPECT_FALSE(document_.canAdd());

    // The selection decides what may be viewed or extracted.
    EXPECT_FALSE(document_.canExtractSelected());
    select("a.txt");
    EXPECT_TRUE(document_.canExtractSelected());
    EXPECT_TRUE(document_.canView());
    ui_.selectedCurrent = {entry("a.txt"), entry("a.txt")};
    EXPECT_FALSE(document_.canView()) << "exactly one";
}

TEST_F(Compression, ZipTwiceGivesTheNextFreeName) {
    dir_.write("Photos/a.jpg", "a");
    dir_.write("Photos/sub/b.jpg", "b");
    document_.addFiles({dir_.file("Photos")});
    run(&ArchiveDocument::zip);
    run(&ArchiveDocument::zip);
    EXPECT_EQ(namesIn(), (QStringList{"Photos", "Photos 2.zip", "Photos.zip"}));
    const QStringList stored{"Photos/", "Photos/a.jpg", "Photos/sub/", "Photos/sub/b.jpg"};
    EXPECT_EQ(namesInArchive("Photos.zip"), stored);
    EXPECT_EQ(namesInArchive("Photos 2.zip"), stored);
    EXPECT_EQ(ui_.calls.mid(ui_.calls.indexOf("top:Compressing")),
              (QStringList{"top:Compressing", "sheet:determinate", "max", "hide:0",
                           "top:Compressing", "sheet:determinate", "max", "hide:0"}));
    EXPECT_EQ(ui_.maxValues, (QList<quint64>{2, 2}));
    EXPECT_TRUE(document_.isComposing()) << "the list stays for another Zip";
}

// The first selected item names the archive of all items; hidden files are left out of the
// total and the archive when set.
TEST_F(Compression, TheFirstSelectedItemNamesTheArchiveOfAllItemsHiddenOnesWhenSet) {
    dir_.write("a.txt", "a");
    dir_.write("b/.hidden", QByteArray(1000, 'h'));
    dir_.write("b/inner.txt", "i");
    dir_.write("c.txt", "c");
    document_.addFiles({dir_.file("a.txt"), dir_.file("b"), dir_.file("c.txt")});
    ui_.selectedZero = {listed("b")};
    for (const bool ignore : {false, true}) {
        Preferences::setIgnoreHiddenFiles(ignore);
        ui_.maxValues.clear();
        QFile::remove(dir_.file("b.zip"));
        run(&ArchiveDocument::zip);
        EXPECT_EQ(document_.zipFileName(), "b");
        EXPECT_EQ(ui_.maxValues, QList<quint64>{ignore ? 3u : 1003u});
        EXPECT_EQ(namesInArchive("b.zip"),
                  (ignore ? QStringList{"a.txt", "b/", "b/inner.txt", "c.txt"}
                          : QStringList{"a.txt", "b/", "b/.hidden", "b/inner.txt", "c.txt"}));
    }
}

// The chosen folder gets the zip, and a folder that is gone by the time the zip is moved there is
// reported. (A cancelled chooser is UnwritableFolder's, the same chooser step.)
TEST_F(Compression, ItemsFromTwoFoldersAskForTheTargetFolder) {
    dir_.write("x/report.txt", "r");
    dir_.write("y/b.txt", "b");
    QDir(dir_.path()).mkdir("out");
    document_.addFiles({dir_.file("x/report.txt"), dir_.file("y/b.txt")});
    ui_.directories = {dir_.file("out"), dir_.file("gone")};
    run(&ArchiveDocument::zip);
    EXPECT_EQ(ui_.callsStartingWith("chooser:"), QStringList{"chooser:"});
    EXPECT_EQ(namesInArchive("out/report.zip"), (QStringList{"b.txt", "report.txt"}));

    run(&ArchiveDocument::zip);
    EXPECT_EQ(ui_.callsStartingWith("alert:").size(), 1);
    EXPECT_EQ(namesIn(), (QStringList{"out", "x", "y"}));
}

// Compress As…: a name ending in a writable format's extension chooses that format, else the
// chosen filter does and adds its extension; a second run takes the next free name, and a cancel
// leaves nothing behind, not even the hidden staging file.
TEST_F(Compression, CompressAsWritesTheChosenFormatUnderAFreeName) {
    struct Row {
        const char *typed;
        WriteFormat filter;
        const char *first;
        const char *second;
    };
    // How names choose formats is also in the tool's table (KistCliCreate); the filter is the
    // window's own.
    const Row rows[] = {
        {"Photos", WriteFormat::Tar, "Photos.tar", "Photos 2.tar"},
        {"v1.2", WriteFormat::TarBz2, "v1.2.tar.bz2", "v1.2 2.tar.bz2"},
        {"Photos.TZST", WriteFormat::SevenZip, "Photos.TZST", "Photos 2.TZST"},
        {"Photos.tar.gz", WriteFormat::TarGz, "Photos.tar.gz", "Photos 2.tar.gz"},
        {"Photos.7z", WriteFormat::TarGz, "Photos.7z", "Photos 2.7z"},
    };
    dir_.write("Photos/a.jpg", "a");
    dir_.write("Photos/sub/b.jpg", "b");
    document_.addFiles({dir_.file("Photos")});
    for (const Row &row : rows) {
        SCOPED_TRACE(row.typed);
        QDir(dir_.file("out")).removeRecursively();
        QDir().mkpath(dir_.file("out"));
        for (const char *expected : {row.first, row.second}) {
            ui_.calls.clear();
            ui_.savedArchives = {
                IDialogs::ArchiveChoice{dir_.file("out/") + row.typed, row.filter}};
            run(&ArchiveDocument::compressAs);
            EXPECT_EQ(ui_.calls.first(), "save:" + dir_.path() + "|Photos");
            EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty())
                << ui_.calls.join(' ').toStdString();
            EXPECT_TRUE(
                namesInArchive(QStringLiteral("out/") + expected).contains("Photos/sub/b.jpg"))
                << expected;
        }
        EXPECT_EQ(namesIn("out"), (QStringList{row.second, row.first})) << "and nothing else";
    }

    dir_.write("Photos/large.bin", noise(8 << 20, 12));
    const QStringList temporariesBefore = temporaries();
    QDir(dir_.file("out")).removeRecursively();
    QDir().mkpath(dir_.file("out"));
    for (const WriteFormat format : WriteFormats::all()) {
        SCOPED_TRACE(WriteFormats::name(format).toStdString());
        ui_.calls.clear();
        ui_.savedArchives = {IDialogs::ArchiveChoice{dir_.file("out/cancelled"), format}};
        cancelAtFirstProgress();
        run(&ArchiveDocument::compressAs);
        EXPECT_TRUE(ui_.acted);
        EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty()) << "a cancel is no error";
        EXPECT_EQ(namesIn("out"), QStringList());
        EXPECT_EQ(temporaries(), temporariesBefore);
    }
}

} // namespace

// Every format but zip (which tests/zip reads back with unzip, 7-Zip and bsdtar), written by the
// job and read back by the tools that make it: bsdtar and GNU tar extract the tar kinds, bsdtar
// and 7-Zip the 7z, without a warning and as the tree was on disk: file contents, the empty
// folder, the non-ASCII names, the modes (the executable one too), file times and the symbolic
// links as links.
TEST(CompressionPeerTools, EachFormatExtractsAsOnDisk) {
    struct Row {
        WriteFormat format;
        // %1: the archive, %2: the destination.
        QStringList extractors;
    };
    // The tools convert names in their locale, which may be C where the suite runs.
    const QString bsdtar = "LC_ALL=C.UTF-8 bsdtar -xpf %1 -C %2";
    const QString gnuTar = "LC_ALL=C.UTF-8 tar -xpf %1 -C %2";
    const Row rows[] = {
        {WriteFormat::Tar, {bsdtar, gnuTar}},
        {WriteFormat::TarGz, {bsdtar, gnuTar}},
        {WriteFormat::TarBz2, {bsdtar, gnuTar}},
        {WriteFormat::TarXz, {bsdtar, gnuTar}},
        {WriteFormat::TarZst, {bsdtar, gnuTar}},
        {WriteFormat::SevenZip, {bsdtar, "LC_ALL=C.UTF-8 7zz x -snl -y -o%2 %1"}},
    };
    ScratchDir dir;
    const QString source = dir.file("source");
    QDir().mkpath(source);
    ArchiveKit::makeSampleTree(source);
    const QMap<QString, QByteArray> expected = ArchiveKit::contentsBelow(source);
    ASSERT_EQ(expected.size(), 13);
    for (const Row &row : rows) {
        const QString extension = WriteFormats::extension(row.format);
        SCOPED_TRACE(extension.toStdString());
        CompressionJob job({source + "/Photos"}, dir.path(), "roundtrip",
                           ScanOptions::instance(false), row.format);
        const CompressionJob::Outcome outcome = job.run(nullptr);
        ASSERT_FALSE(outcome.error) << outcome.error->message.toStdString();
        const QString archive = outcome.placedPath;
        EXPECT_EQ(archive, dir.file("roundtrip." + extension));
        for (const QString &command : row.extractors) {
            SCOPED_TRACE(command.toStdString());
            const QString out = dir.file("out-" + extension + "-" + command.section(' ', 1, 1));
            QDir().mkpath(out);
            const ToolResult result =
                runTool("/bin/sh", {"-c", command.arg(shellQuote(archive), shellQuote(out))});
            ASSERT_EQ(result.exitCode, 0) << result.output.toStdString();
            EXPECT_TRUE(result.output.isEmpty() || command.contains("7zz"))
                << result.output.toStdString();
            EXPECT_EQ(ArchiveKit::contentsBelow(out), expected);
            for (const QString &path : ArchiveKit::filesBelow(out)) {
                const QString original = source + '/' + path;
                EXPECT_EQ(ArchiveKit::modeOf(out + '/' + path), ArchiveKit::modeOf(original))
                    << path.toStdString();
                if (!path.endsWith('/')) {
                    EXPECT_EQ(ArchiveKit::mtimeOf(out + '/' + path), ArchiveKit::mtimeOf(original))
                        << path.toStdString();
                }
            }
        }
    }
    // libarchive 3.6 takes the thread count for both; a refusal would halve the speed unseen.
    for (const WriteFormat format : {WriteFormat::TarXz, WriteFormat::TarZst}) {
        LibarchiveWriter writer(format, dir.file("threads." + WriteFormats::extension(format)),
                                std::nullopt, nullptr);
        EXPECT_TRUE(writer.isThreaded()) << WriteFormats::name(format).toStdString();
        EXPECT_TRUE(writer.finish());
    }
}
