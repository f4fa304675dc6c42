#include "DocumentFixture.h"
#include "util/FileAttributes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <memory>
#include <optional>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kRoom = 1 << 20;

// Makes every write of this process past the limit fail (EFBIG) while it lives: a file system
// running out of space, without needing one. Writes from any thread are affected.
struct FileSizeLimit {
    rlimit saved{};
    void (*savedHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    explicit FileSizeLimit(qint64 bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{rlim_t(bytes), saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedHandler);
    }
};

// A small tmpfs mounted on a folder while it lives; mounting needs root.
struct SmallTmpfs {
    const QByteArray folder;
    const bool mounted;
    SmallTmpfs(const QString &path, qint64 bytes)
        : folder(QFile::encodeName(path))
        , mounted(::mount("tmpfs", folder.constData(), "tmpfs", 0,
                          ("size=" + QByteArray::number(bytes)).constData()) == 0) {}
    SmallTmpfs(const SmallTmpfs &) = delete;
    ~SmallTmpfs() {
        if (mounted)
            ::umount2(folder.constData(), MNT_DETACH);
    }
};

// Sets or clears the immutable attribute in this process: a shell (chattr) started while the
// engine's threads run is a fork ThreadSanitizer refuses.
bool setImmutable(const QByteArray &path, bool immutable) {
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// Takes write access to a folder away while it lives. Root ignores permission bits, so as root
// the folder is made immutable, or where the file system has no such flag, a read-only bind
// mount of itself. Tests that need a folder without write access skip where neither works.
struct ReadOnlyFolder {
    std::function<void()> unlock;
    bool isReadOnly = false;
    explicit ReadOnlyFolder(const QString &path) {
        const QByteArray native = QFile::encodeName(path);
        const char *folder = native.constData();
        if (::geteuid() != 0) {
            if (::chmod(folder, 0555) == 0)
                unlock = [native] {
                    ::chmod(native.constData(), 0755);
                };
        } else if (setImmutable(native, true)) {
            unlock = [native] {
                setImmutable(native, false);
            };
        } else if (::mount(folder, folder, nullptr, MS_BIND, nullptr) == 0) {
            unlock = [native] {
                ::umount2(native.constData(), MNT_DETACH);
            };
            ::mount(nullptr, folder, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
        }
        isReadOnly = unlock && !FileAttributes::isWritable(path);
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ~ReadOnlyFolder() {
        if (unlock)
            unlock();
    }
};

// The destination runs out of space: a small tmpfs where the process may mount one, and in
// every case a file-size limit that makes writes past it fail.
enum class Fault { SmallTmpfs, FileSizeLimit };

class WriteFaults : public DocumentTest, public ::testing::WithParamInterface<Fault> {
protected:
    // Makes the folder (created when missing) "full"; false where its fault cannot be made here.
    bool makeFull(const QString &folder) {
        QDir().mkpath(folder);
        if (GetParam() == Fault::FileSizeLimit)
            return true;
        tmpfs_ = std::make_unique<SmallTmpfs>(folder, kRoom);
        return tmpfs_->mounted;
    }
    // Runs the task to its end with the fault on; the test's own files are written before.
    void runFull(const std::function<void()> &task) {
        std::optional<FileSizeLimit> limit;
        if (GetParam() == Fault::FileSizeLimit)
            limit.emplace(kRoom);
        task();
        settle();
    }
    // The one alert names the lack of space, or (a writer on another thread may not see the
    // cause) the file only, never a staging path.
    void expectSpaceAlert() {
        const QStringList alerts = ui_.callsStartingWith("alert:");
        ASSERT_EQ(alerts.size(), 1) << ui_.calls.join(' ').toStdString();
        EXPECT_TRUE(alerts.first().contains(
            QRegularExpression("Not enough space on the disk to write|Failed to create file")))
            << alerts.first().toStdString();
        EXPECT_FALSE(alerts.first().contains("/.")) << "no staging path";
    }

    std::unique_ptr<SmallTmpfs> tmpfs_;
};

// Each reader writes its files its own way: zip on several threads, tar through one buffer
// (after its gzip layer is undone into the temporary folder), 7z and solid RAR on a thread of
// their own.
TEST_P(WriteFaults, ExtractionIntoAFullFolderFailsCleanly) {
    if (!makeFull(dir_.file("full")))
        GTEST_SKIP() << "mounting a tmpfs needs root";
    for (const QString &name : QStringList{"z.zip", "z.tgz", "z.7z", "z.rar"}) {
        SCOPED_TRACE(name.toStdString());
        const QString archive = dir_.file("full/" + name);
        ASSERT_FALSE(ArchiveKit::makeZeros(archive, 8 * kRoom).isEmpty());
        open("full/" + name);
        const QStringList temporariesBefore = temporaries();
        ui_.calls.clear();
        runFull([this] { document_.extractAll(); });
        expectSpaceAlert();
        EXPECT_EQ(namesIn("full"), QStringList{name}) << "no partial file, no staging folder";
        EXPECT_EQ(temporaries(), temporariesBefore);
        QFile::remove(archive);
    }
}

// A compressed tar is undone into memory when its decoded size is known and fits, else into the
// cache folder: a full cache must fail only the opening of one that goes there, with an alert.
TEST_P(WriteFaults, AFullCacheFailsOnlyTheOpeningOfACompressedTarStagedThere) {
    struct Row {
        const char *label;
        // Run in the test folder after z.tgz is made, when given.
        const char *change;
        bool stagedInCache;
    } rows[] = {
        {"one gzip member: decoded into memory", "", false},
        {"a second member: zlib's stream into the cache", "gzip -c </dev/null >>z.tgz", true},
    };
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME") + "/kist";
    if (!makeFull(cache))
        GTEST_SKIP() << "mounting a tmpfs needs root";
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        ASSERT_FALSE(ArchiveKit::makeZeros(dir_.file("z.tgz"), 8 * kRoom).isEmpty());
        if (*row.change)
            shell(row.change);
        ui_.calls.clear();
        runFull([this] { open("z.tgz"); });
        if (row.stagedInCache) {
            expectSpaceAlert();
        } else {
            EXPECT_EQ(ui_.callsStartingWith("alert:"), QStringList());
            EXPECT_EQ(topEntries(), QStringList{"zeros.bin"});
        }
        QStringList left;
        for (QDirIterator it(cache, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            if (it.next().endsWith(".tar"))
                left << it.filePath();
        EXPECT_EQ(left, QStringList()) << "no temporary tar left behind";
    }
}

TEST_P(WriteFaults, CompressionIntoAFullFolderFailsCleanly) {
    if (!makeFull(dir_.file("full")))
        GTEST_SKIP() << "mounting a tmpfs needs root";
    dir_.write("src/noise.bin", noise(4 * kRoom, 5));
    // The file alone, no folder: libarchive 3.6.2 loses its list of a 7z's empty entries (folders
    // among them) when the archive cannot be closed, which the leak checker would report.
    document_.addFiles({dir_.file("src/noise.bin")});
    const QStringList temporariesBefore = temporaries();
    for (const WriteFormat format : {WriteFormat::Zip, WriteFormat::TarGz, WriteFormat::TarXz,
                                     WriteFormat::TarZst, WriteFormat::SevenZip}) {
        SCOPED_TRACE(WriteFormats::name(format).toStdString());
        ui_.calls.clear();
        ui_.savedArchives = {IDialogs::ArchiveChoice{dir_.file("full/src"), format}};
        runFull([this] { document_.compressAs(); });
        const QStringList alerts = ui_.callsStartingWith("alert:");
        ASSERT_EQ(alerts.size(), 1);
        // The archive's own name, not the hidden file it is staged in.
        EXPECT_TRUE(alerts.first().contains("Not enough space on the disk to write src." +
                                            WriteFormats::extension(format)))
            << alerts.first().toStdString();
        EXPECT_EQ(namesIn("full"), QStringList()) << "no partial archive under any name";
        EXPECT_EQ(temporaries(), temporariesBefore);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, WriteFaults,
                         ::testing::Values(Fault::SmallTmpfs, Fault::FileSizeLimit),
                         [](const auto &param) {
                             return param.param == Fault::SmallTmpfs ? "SmallTmpfs"
                                                                     : "FileSizeLimit";
                         });

class ZipSourceFaults : public DocumentTest {
protected:
    // Gathers a large file and a small one after it and zips them beside them; the action runs
    // on the main thread at the first progress report, while the writer is still on the first.
    void zipWhile(const std::function<void()> &action) {
        dir_.write("src/a-large.bin", noise(16 << 20, 6));
        dir_.write("src/b-small.txt", "small");
        document_.addFiles({dir_.file("src/a-large.bin"), dir_.file("src/b-small.txt")});
        temporariesBefore_ = temporaries();
        ui_.atFirstProgress(action);
        run(&ArchiveDocument::zip);
        ASSERT_TRUE(ui_.acted);
    }
    QStringList temporariesBefore_;
};

// A source that vanishes is named and no archive is left; one replaced by a FIFO is not waited
// for.
TEST_F(ZipSourceFaults, ASourceThatVanishesIsNamedOneReplacedByAFifoIsLeftOut) {
    zipWhile([&] { QFile::remove(dir_.file("src/b-small.txt")); });
    const QStringList alerts = ui_.callsStartingWith("alert:");
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts.first().contains("b-small.txt")) << alerts.first().toStdString();
    EXPECT_EQ(namesIn("src"), QStringList{"a-large.bin"});
    EXPECT_EQ(temporaries(), temporariesBefore_);

    ui_.calls.clear();
    zipWhile([&] {
        QFile::remove(dir_.file("src/b-small.txt"));
        ASSERT_EQ(::mkfifo(QFile::encodeName(dir_.file("src/b-small.txt")).constData(), 0600), 0);
    });
    EXPECT_EQ(ui_.callsStartingWith("alert:").size(), 0)
        << "a FIFO among the gathered items is left out, as pipes always are";
    EXPECT_EQ(namesInArchive("src/a-large.zip"), QStringList{"a-large.bin"});
    EXPECT_EQ(temporaries(), temporariesBefore_);
}

TEST_F(ZipSourceFaults, ADestinationThatBecomesReadOnlyLeavesNothing) {
    std::unique_ptr<ReadOnlyFolder> lock;
    zipWhile([&] { lock = std::make_unique<ReadOnlyFolder>(dir_.file("src")); });
    if (!lock->isReadOnly)
        GTEST_SKIP() << "cannot take write access away from a folder here";
    lock.reset();
    EXPECT_EQ(ui_.callsStartingWith("alert:").size(), 1);
    // The zip is written beside its target; a folder that turned read-only meanwhile lets
    // neither the rename nor the removal happen, so only the hidden partial file remains.
    const QStringList names = namesIn("src");
    EXPECT_EQ(names.filter(QRegularExpression("^[^.]")),
              (QStringList{"a-large.bin", "b-small.txt"}));
    EXPECT_LE(names.size(), 3);
    EXPECT_EQ(temporaries(), temporariesBefore_);
}

const QString kCannotWrite =
    QStringLiteral("You cannot write into this folder. Choose another folder.");

struct UnwritableCase {
    const char *label;
    void (ArchiveDocument::*run)();
    // Where a chosen folder "out" gets the result, and what that file holds (a zip: its entry);
    // none for the commands that write only into the private temporary folder and so never ask,
    // which hand over the copy (see handedOver).
    const char *result;
    const char *contents;
};

void PrintTo(const UnwritableCase &row, std::ostream *out) {
    *out << row.label;
}

// The archive's folder, or the folder of the items to zip, refuses writing even to root.
class UnwritableFolder : public DocumentTest, public ::testing::WithParamInterface<UnwritableCase> {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        // A RAR volume set: its other volumes lie in the same folder and are only read.
        dir_.write("locked/notes/long.txt", QByteArray("a line of the long note\n").repeated(3000));
        dir_.write("locked/notes/short.txt", "short");
        shell("cd locked && rar a -idq -m0 -v20k set.rar notes && rm -r notes");
        dir_.write("locked/a.txt", "to be zipped");
        QDir(dir_.path()).mkdir("out");
        lock_ = std::make_unique<ReadOnlyFolder>(dir_.file("locked"));
    }
    void TearDown() override {
        lock_.reset();
        DocumentTest::TearDown();
    }
    // What the command handed over to read: "open:" and the opened copy's contents, "pane:" and
    // the pane's delivery.
    QStringList handedOver() const {
        QStringList handed;
        for (const QString &opened : ui_.callsStartingWith("open:"))
            handed.append("open:" + ArchiveKit::readFile(opened.mid(5)));
        for (const RecordingPane::Delivery &delivery : pane_.deliveries)
            handed.append("pane:" + delivery.contents);
        return handed;
    }

    std::unique_ptr<ReadOnlyFolder> lock_;
};

TEST_P(UnwritableFolder, WritingAsksForAnotherFolderReadingNever) {
    const UnwritableCase &row = GetParam();
    if (!lock_->isReadOnly)
        GTEST_SKIP() << "cannot take write access away from a folder here";
    const QStringList lockedBefore = namesIn("locked");
    if (row.run == &ArchiveDocument::zip) {
        document_.addFiles({dir_.file("locked/a.txt")});
    } else {
        open("locked/set.part1.rar");
        select("notes/short.txt");
    }
    EXPECT_TRUE(ui_.callsStartingWith("chooser:").isEmpty()) << "opening the set asks nothing";

    if (!row.result) {
        ui_.calls.clear();
        run(row.run);
        EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty());
        EXPECT_TRUE(ui_.callsStartingWith("chooser:").isEmpty());
        EXPECT_EQ(handedOver(), QStringList{row.contents});
        EXPECT_EQ(namesIn("locked"), lockedBefore);
        return;
    }

    const QStringList asked{"alert:" + kCannotWrite, "chooser:" + dir_.file("locked")};
    ui_.calls.clear();
    ui_.directories = {std::nullopt};
    run(row.run);
    EXPECT_EQ(ui_.calls, asked) << "a cancelled chooser starts nothing";
    EXPECT_EQ(document_.destination(), QString());
    EXPECT_TRUE(namesIn("out").isEmpty());

    ui_.calls.clear();
    ui_.directories = {dir_.file("out")};
    run(row.run);
    EXPECT_EQ(ui_.calls.mid(0, 2), asked);
    EXPECT_EQ(ui_.callsStartingWith("alert:").size(), 1) << "no error follows";
    const QString result = QStringLiteral("out/") + row.result;
    if (row.run == &ArchiveDocument::zip)
        EXPECT_EQ(namesInArchive(result), QStringList{row.contents});
    else
        EXPECT_EQ(read(result), row.contents);
    EXPECT_EQ(namesIn("locked"), lockedBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, UnwritableFolder,
    ::testing::Values(
        UnwritableCase{"Extract", &ArchiveDocument::extractAll, "notes/short.txt", "short"},
        UnwritableCase{"Extract selected", &ArchiveDocument::extractSelected, "short.txt", "short"},
        UnwritableCase{"Zip", &ArchiveDocument::zip, "a.zip", "a.txt"},
        UnwritableCase{"View", &ArchiveDocument::viewFile, nullptr, "open:short"},
        UnwritableCase{"Preview", &ArchiveDocument::viewFileInPreview, nullptr, "pane:short"}));

} // namespace
