#include "util/FileUtil.h"
#include "support/TestDirs.h"
#include "util/Cancellation.h"
#include "util/ProgressReceiver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(const QString &path) {
    struct stat st;
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st.st_mode & 07777;
}

class UmaskScope {
public:
    explicit UmaskScope(mode_t mask)
        : previous_(::umask(mask)) {}
    ~UmaskScope() { ::umask(previous_); }

private:
    mode_t previous_;
};

struct ChunkRecorder : ProgressReceiver {
    QList<quint64> chunks;
    void addDone(quint64 bytes) override { chunks.append(bytes); }
};

} // namespace

TEST(FileUtilFormat, SizesUsePowersOf1024) {
    const QList<QPair<quint64, QString>> cases = {
        {0, "0"},
        {1023, "1023B"},
        {1024, "1.0K"},
        {1048575, "1024.0K"},
        {1048576, "1.00M"},
        {1073741824, "1.000G"},
        {5368709120ULL, "5.000G"},
    };
    for (const auto &[count, text] : cases)
        EXPECT_EQ(FileUtil::formatSize(count), text) << count;
}

TEST(FileUtilNames, ComponentsAndExtensions) {
    EXPECT_EQ(FileUtil::fileName("/a/b/c.txt"), "c.txt");
    EXPECT_EQ(FileUtil::fileName("a/b/"), "b");
    EXPECT_EQ(FileUtil::fileName(QString()), "");
    EXPECT_EQ(FileUtil::extension("/x/archive.tar.gz"), "gz");
    EXPECT_EQ(FileUtil::extension("/x.d/name"), "");
    EXPECT_EQ(FileUtil::extension("name."), "");
    EXPECT_EQ(FileUtil::baseName("/x/archive.tar.gz"), "archive.tar");
    EXPECT_EQ(FileUtil::baseName("/x/README"), "README");
    EXPECT_EQ(FileUtil::parentFolder("/x/y/z.zip"), "/x/y");
    EXPECT_EQ(FileUtil::parentFolder("/z.zip"), "/");
    EXPECT_EQ(FileUtil::parentFolder(""), "");
}

TEST(FileUtilNames, FreeFileNamesCountUpAndKeepTarTogether) {
    ScratchDir dir;
    dir.write("report.zip", "x");
    dir.write("report 2.zip", "x");
    EXPECT_EQ(FileUtil::freeFileName(dir.path(), "report", "zip"), dir.file("report 3.zip"));

    EXPECT_EQ(FileUtil::freeFileName(dir.path(), "a.TAR", "gz"), dir.file("a.tar.gz"));
    dir.write("a.tar.gz", "x");
    EXPECT_EQ(FileUtil::freeFileName(dir.path(), "a.TAR", "gz"), dir.file("a 2.tar.gz"));

    dir.write("notes", "x");
    EXPECT_EQ(FileUtil::freeFileName(dir.path(), "notes", ""), dir.file("notes 2"));
    EXPECT_EQ(FileUtil::freeFileName(dir.path(), "x.tar", ""), dir.file("x.tar"));
}

TEST(FileUtilNames, FreeFolderNamesIgnoreDanglingLinks) {
    ScratchDir dir;
    QDir(dir.path()).mkdir("Photos");
    EXPECT_EQ(FileUtil::freeFolderName(dir.path(), "Photos"), dir.file("Photos 2"));
    ASSERT_EQ(::symlink("/nonexistent/target", QFile::encodeName(dir.file("Links")).constData()),
              0);
    EXPECT_EQ(FileUtil::freeFolderName(dir.path(), "Links"), dir.file("Links"));
}

TEST(FileUtilPaths, RelativePathBelowBase) {
    struct Case {
        const char *path;
        const char *base;
        const char *expected;
    };
    const Case cases[] = {
        {"/Users/u/docs/a.txt", "/Users/u/", "/docs/a.txt"},
        {"/Users/u", "/Users/u", ""},
        {"/Users/ab/x", "/Users/a", ""},
        {"/A/x", "/a", ""},
        {"/a/b", "/", "/a/b"},
        {"//a/b//", "a", "/b"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FileUtil::relativePath(c.path, c.base), QString(c.expected))
            << c.path << " " << c.base;
    EXPECT_EQ(FileUtil::relativePath(QString(), "/a"), "");
}

TEST(FileUtilPaths, ContainmentNormalisesTrailingSlashes) {
    EXPECT_TRUE(FileUtil::hasPrefix("/Users/u/Downloads/x.zip", "/Users/u/Downloads"));
    EXPECT_TRUE(FileUtil::hasPrefix("/Users/u/Downloads", "/Users/u/Downloads/"));
    EXPECT_FALSE(FileUtil::hasPrefix("/Users/u/Downloads2/x", "/Users/u/Downloads"));
    EXPECT_TRUE(FileUtil::hasPrefix("/mnt/Users/u/Downloads/x", "/Users/u/Downloads"));
}

TEST(FileUtilDisk, TempRootIsUnderTheTempFolder) {
    EXPECT_EQ(FileUtil::tempBundleIdDirectory(), QDir::tempPath() + "/org.kist.Kist");
}

TEST(FileUtilDisk, PermissionsKeepOwnerRightsAndRespectUmask) {
    ScratchDir dir;
    const QString file = dir.write("f", "x");
    struct Case {
        mode_t umask;
        mode_t stored;
        mode_t expected;
    };
    const Case cases[] = {
        {022, 0755, 0755}, {022, 0600, 0600}, {022, 0, 0644}, {022, 0444, 0644},
        {077, 0755, 0700}, {077, 0666, 0600}, {077, 0, 0600}, {022, 04755, 04755},
    };
    for (const Case &c : cases) {
        UmaskScope scope(c.umask);
        EXPECT_FALSE(FileUtil::setPermission(file, c.stored).has_value());
        EXPECT_EQ(modeOf(file), c.expected)
            << std::oct << "umask " << c.umask << " mode " << c.stored;
    }
    {
        UmaskScope scope(022);
        EXPECT_FALSE(FileUtil::setFullPermission(file).has_value());
        EXPECT_EQ(modeOf(file), mode_t(0755));
    }
    {
        UmaskScope scope(077);
        EXPECT_FALSE(FileUtil::setFullPermission(file).has_value());
        EXPECT_EQ(modeOf(file), mode_t(0700));
    }
    EXPECT_TRUE(FileUtil::setPermission(dir.file("missing"), 0644).has_value());
}

TEST(FileUtilDisk, CreateFolderWithDateAndDatesOnLinks) {
    ScratchDir dir;
    const QDateTime date(QDate(2001, 2, 3), QTime(4, 5, 6), QTimeZone::utc());
    const QString folder = dir.file("a/b/c");
    EXPECT_TRUE(FileUtil::createFolder(folder, date));
    ASSERT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(FileUtil::modifiedDate(folder), date);

    const QString target = dir.write("target.txt", "x");
    const QString link = dir.file("link");
    ASSERT_TRUE(FileUtil::createSymlink(link, "target.txt"));
    const QDateTime targetDate = *FileUtil::modifiedDate(target);
    EXPECT_FALSE(FileUtil::setModifiedDate(date, link).has_value());
    EXPECT_EQ(FileUtil::modifiedDate(link), date);
    EXPECT_EQ(FileUtil::modifiedDate(target), targetDate) << "the link's target must keep its date";
    EXPECT_FALSE(FileUtil::setModifiedDate(std::nullopt, dir.file("missing")).has_value());
    EXPECT_FALSE(FileUtil::modifiedDate(dir.file("missing")).has_value());
}

TEST(FileUtilDisk, LinksAndTypes) {
    ScratchDir dir;
    QDir(dir.path()).mkdir("folder");
    dir.write("file", "12345");
    Error error;
    ASSERT_TRUE(FileUtil::createSymlink(dir.file("to-folder"), "folder", &error));
    ASSERT_TRUE(FileUtil::createSymlink(dir.file("dangling"), "nowhere"));
    EXPECT_FALSE(FileUtil::createSymlink(dir.file("file"), "x", &error));
    EXPECT_FALSE(error.message.isEmpty());

    EXPECT_TRUE(FileUtil::isFolder(dir.file("to-folder")));
    EXPECT_FALSE(FileUtil::isFolder(dir.file("file")));
    QString target;
    EXPECT_TRUE(FileUtil::isSymlink(dir.file("to-folder"), &target));
    EXPECT_EQ(target, "folder");
    EXPECT_FALSE(FileUtil::isSymlink(dir.file("dangling")));
    EXPECT_FALSE(FileUtil::isSymlink(dir.file("file")));
    EXPECT_EQ(FileUtil::fileSize(dir.file("file")), 5u);
    EXPECT_EQ(FileUtil::fileSize(dir.file("dangling")), 7u) << "lstat size is the link text";
    EXPECT_EQ(FileUtil::fileSize(dir.file("missing")), 0u);
}

TEST(FileUtilDisk, DeleteRemovesReadOnlyItemsAndNotLinkTargets) {
    ScratchDir dir;
    const QString readOnly = dir.write("ro.txt", "x");
    ::chmod(QFile::encodeName(readOnly).constData(), 0444);
    EXPECT_FALSE(FileUtil::removeItem(readOnly).has_value());
    EXPECT_FALSE(QFileInfo::exists(readOnly));

    const QString kept = dir.write("kept/inner.txt", "x");
    ASSERT_TRUE(FileUtil::createSymlink(dir.file("link"), dir.file("kept")));
    EXPECT_FALSE(FileUtil::removeItem(dir.file("link")).has_value());
    EXPECT_TRUE(QFileInfo::exists(kept));

    dir.write("tree/a/b.txt", "x");
    EXPECT_FALSE(FileUtil::removeItem(dir.file("tree")).has_value());
    EXPECT_FALSE(QFileInfo::exists(dir.file("tree")));
    EXPECT_FALSE(FileUtil::removeItem(dir.file("never-there")).has_value());
}

TEST(FileUtilCopy, CopiesInChunksAndAppendsWhenNotOverwriting) {
    ScratchDir dir;
    QByteArray big(2 * 1048576 + 17, 'a');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i * 31);
    const QString source = dir.write("big.bin", big);
    ChunkRecorder progress;
    EXPECT_TRUE(FileUtil::copyFile(source, dir.file("copy.bin"), true, false, &progress));
    QFile copy(dir.file("copy.bin"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), big);
    EXPECT_EQ(progress.chunks, (QList<quint64>{1048576, 1048576, 17}));

    const QString existing = dir.write("existing.txt", "head-");
    const QString tail = dir.write("tail.txt", "tail");
    EXPECT_TRUE(FileUtil::copyFile(tail, existing, false, false, nullptr));
    QFile appended(existing);
    ASSERT_TRUE(appended.open(QIODevice::ReadOnly));
    EXPECT_EQ(appended.readAll(), "head-tail");

    EXPECT_TRUE(FileUtil::copyFile(tail, existing, true, false, nullptr));
    EXPECT_EQ(FileUtil::fileSize(existing), 4u);

    EXPECT_FALSE(FileUtil::copyFile(dir.file("missing"), dir.file("out"), true, false, nullptr));
    EXPECT_FALSE(QFileInfo::exists(dir.file("out"))) << "a missing source leaves nothing behind";
}

TEST(FileUtilCopy, StopsWhenTheThreadIsCancelled) {
    ScratchDir dir;
    const QString source = dir.write("big.bin", QByteArray(3 * 1048576, 'z'));
    bool opened = false;
    QThread *worker = QThread::create([&] {
        QThread::currentThread()->requestInterruption();
        opened = FileUtil::copyFile(source, dir.file("copy.bin"), true, false, nullptr);
    });
    worker->start();
    worker->wait();
    delete worker;
    EXPECT_TRUE(opened);
    EXPECT_EQ(FileUtil::fileSize(dir.file("copy.bin")), 0u);
}
