#include "support/TestDirs.h"
#include "util/FilePropertyTotalFiles.h"
#include "util/FileTree.h"
#include "util/NotificationCenter.h"
#include "util/TreeCountScan.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <unistd.h>

// Readable paths in assertion messages.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

// root: a.txt (10), b.txt (20), .hidden (5), sub/c.txt (30), sub/lnk -> ../a.txt (a link of
// 8 bytes), .git/config (7), .git/objects/o (9).
QString makeScanTree(const ScratchDir &dir) {
    dir.write("root/a.txt", QByteArray(10, 'a'));
    dir.write("root/b.txt", QByteArray(20, 'b'));
    dir.write("root/.hidden", QByteArray(5, 'h'));
    dir.write("root/sub/c.txt", QByteArray(30, 'c'));
    dir.write("root/.git/config", QByteArray(7, 'g'));
    dir.write("root/.git/objects/o", QByteArray(9, 'o'));
    ::symlink("../a.txt", QFile::encodeName(dir.file("root/sub/lnk")).constData());
    return dir.file("root");
}

// A wide tree: 40 folders of 25 files of 100 bytes each.
QString makeWideTree(const ScratchDir &dir) {
    for (int folder = 0; folder < 40; ++folder) {
        for (int file = 0; file < 25; ++file)
            dir.write(QStringLiteral("wide/d%1/f%2").arg(folder).arg(file), QByteArray(100, 'x'));
    }
    return dir.file("wide");
}

struct Totals {
    quint64 files;
    quint64 folders;
    quint64 size;
    bool operator==(const Totals &) const = default;
};

Totals scan(TreeCountScan &scanner) {
    const quint64 size = scanner.execute();
    EXPECT_EQ(size, scanner.totalSize());
    return {scanner.fileNumber(), scanner.folderNumber(), size};
}

std::ostream &operator<<(std::ostream &out, const Totals &t) {
    return out << t.files << " files, " << t.folders << " folders, " << t.size << " bytes";
}

// Cancels its own scan once `at` files are counted, by the given means, and holds every
// further count until the scan has seen the cancel.
class CancellingScan : public TreeCountScan {
public:
    CancellingScan(const QString &path, quint64 at, std::function<void()> trigger)
        : TreeCountScan(path)
        , at_(at)
        , trigger_(std::move(trigger)) {}

    void increaseFileNumber() override {
        TreeCountScan::increaseFileNumber();
        if (fileNumber() < at_)
            return;
        if (!triggered_.exchange(true))
            trigger_();
        QDeadlineTimer deadline(5000);
        while (!isCancelled() && !deadline.hasExpired())
            QThread::msleep(1);
    }

private:
    quint64 at_;
    std::function<void()> trigger_;
    std::atomic_bool triggered_ = false;
};

class CancellingPathScan : public FilePropertyTotalFiles {
public:
    CancellingPathScan(const QString &path, qsizetype at, QString notification)
        : FilePropertyTotalFiles(path)
        , at_(at)
        , notification_(std::move(notification)) {}

    bool addFiles(const QStringList &paths) override {
        FilePropertyTotalFiles::addFiles(paths);
        if (files().size() >= at_ && !triggered_.exchange(true))
            NotificationCenter::defaultCenter().post(notification_);
        return true;
    }

private:
    qsizetype at_;
    QString notification_;
    std::atomic_bool triggered_ = false;
};

} // namespace

TEST(TreeCountScan, CountsWithAndWithoutHiddenItems) {
    ScratchDir dir;
    const QString root = makeScanTree(dir);
    ::symlink(QFile::encodeName(dir.file("root/sub")).constData(),
              QFile::encodeName(dir.file("to-sub")).constData());
    struct Case {
        const char *what;
        QStringList inputs;
        bool single;
        bool containsSelf;
        bool ignoreHidden;
        Totals expected;
    };
    const QList<Case> cases = {
        {"one folder", {root}, true, false, false, {7, 3, 89}},
        {"one folder counting itself", {root}, true, true, false, {7, 4, 89}},
        {"one folder without hidden", {root}, true, false, true, {4, 1, 68}},
        // The single input folder itself is never tested for being hidden.
        {"one hidden folder", {root + "/.git"}, true, false, true, {2, 1, 16}},
        {"one file", {root + "/b.txt"}, true, true, false, {1, 0, 20}},
        // An input link to a folder is scanned as that folder.
        {"list",
         {root + "/sub", root + "/.hidden", dir.file("to-sub")},
         false,
         false,
         false,
         {5, 2, 81}},
        {"list without hidden",
         {root + "/sub", root + "/.hidden", dir.file("to-sub")},
         false,
         false,
         true,
         {4, 2, 76}},
        {"empty list", {}, false, false, false, {0, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto scanner = c.single ? TreeCountScan(c.inputs.first()) : TreeCountScan(c.inputs);
        scanner.setIsContainsSelf(c.containsSelf);
        if (c.ignoreHidden)
            scanner.setPropertyOptions(ScanOptions::instance(true));
        EXPECT_EQ(scan(scanner), c.expected);
    }
}

TEST(TreeSizeScan, ShorthandsAndTheLeftOutFolder) {
    ScratchDir dir;
    const QString root = makeScanTree(dir);
    EXPECT_EQ(TreeSizeScan::totalSizeOf(root), 89u);
    EXPECT_EQ(TreeSizeScan::totalSizeOf({root + "/a.txt", root + "/sub"}), 48u);

    TreeCountScan scanner(root);
    scanner.setExcludedFolder(FileTree::resolveSymlinks(root + "/.git"));
    EXPECT_EQ(scan(scanner), (Totals{5, 2, 73}));
}

TEST(FilePropertyTotalFiles, ListsEveryPathOnceEvenRoundACycle) {
    ScratchDir dir;
    const QString root = FileTree::resolveSymlinks(makeScanTree(dir));
    ASSERT_EQ(::symlink("..", QFile::encodeName(root + "/sub/back").constData()), 0);

    const QStringList files = FilePropertyTotalFiles(root).execute();
    const QSet<QString> expected = {
        root,           root + "/a.txt",       root + "/b.txt",        root + "/.hidden",
        root + "/sub",  root + "/sub/c.txt",   root + "/sub/lnk",      root + "/sub/back",
        root + "/.git", root + "/.git/config", root + "/.git/objects", root + "/.git/objects/o",
    };
    EXPECT_EQ(QSet<QString>(files.begin(), files.end()), expected);
    EXPECT_EQ(files.size(), expected.size());
}

TEST(FilePropertyCancel, EitherNotificationStopsASizeScan) {
    ScratchDir dir;
    const QString wide = makeWideTree(dir);
    for (const QString &name :
         {TreeScan::kCancelNotification, TreeSizeScan::kTotalSizeCancelNotification}) {
        SCOPED_TRACE(name.toStdString());
        CancellingScan scanner(wide, 5, [&] { NotificationCenter::defaultCenter().post(name); });
        const quint64 size = scanner.execute();
        EXPECT_TRUE(scanner.isCancelled());
        // Each of the 3 running operations may count the item it is on.
        EXPECT_LE(scanner.fileNumber(), 5u + TreeScan::kQueueWidth);
        EXPECT_EQ(size, scanner.totalSize());
        EXPECT_LT(size, 100000u);
    }
}

TEST(FilePropertyCancel, TheRunningThreadsMarkStopsASizeScan) {
    ScratchDir dir;
    const QString wide = makeWideTree(dir);
    QThread *worker = nullptr;
    CancellingScan scanner(wide, 5, [&] { worker->requestInterruption(); });
    worker = QThread::create([&] { scanner.execute(); });
    worker->start();
    ASSERT_TRUE(worker->wait(30000));
    delete worker;
    EXPECT_TRUE(scanner.isCancelled());
    EXPECT_LE(scanner.fileNumber(), 5u + TreeScan::kQueueWidth);
}

TEST(FilePropertyCancel, PathScanObservesOnlyTheGeneralNotification) {
    ScratchDir dir;
    const QString wide = makeWideTree(dir);
    const qsizetype everything = 1 + 40 + 40 * 25;

    CancellingPathScan ignored(wide, 30, TreeSizeScan::kTotalSizeCancelNotification);
    EXPECT_EQ(ignored.execute().size(), everything);
    EXPECT_FALSE(ignored.isCancelled());

    CancellingPathScan stopped(wide, 30, TreeScan::kCancelNotification);
    EXPECT_LT(stopped.execute().size(), everything);
    EXPECT_TRUE(stopped.isCancelled());
}

TEST(FilePropertyCancel, NotificationsAfterAScannerIsGoneAreHarmless) {
    ScratchDir dir;
    const QString root = makeScanTree(dir);
    { TreeCountScan gone(root); }
    NotificationCenter::defaultCenter().post(TreeScan::kCancelNotification);
    // A scanner made afterwards starts uncancelled.
    TreeCountScan fresh(root);
    EXPECT_EQ(fresh.execute(), 89u);
}
