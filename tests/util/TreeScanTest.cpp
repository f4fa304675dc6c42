#include "support/TestDirs.h"
#include "util/TreeCountScan.h"

#include <QDeadlineTimer>
#include <QFile>
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
        : TreeCountScan(QStringList{path})
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

} // namespace

TEST(TreeCountScan, CountsWithAndWithoutHiddenItems) {
    ScratchDir dir;
    const QString root = makeScanTree(dir);
    ::symlink(QFile::encodeName(dir.file("root/sub")).constData(),
              QFile::encodeName(dir.file("to-sub")).constData());
    struct Case {
        const char *what;
        QStringList inputs;
        bool containsSelf;
        bool ignoreHidden;
        Totals expected;
    };
    const QList<Case> cases = {
        {"one folder", {root}, false, false, {7, 3, 89}},
        {"one folder counting itself", {root}, true, false, {7, 4, 89}},
        {"one folder without hidden", {root}, false, true, {4, 1, 68}},
        // The single input folder itself is never tested for being hidden.
        {"one hidden folder", {root + "/.git"}, false, true, {2, 1, 16}},
        {"one file", {root + "/b.txt"}, true, false, {1, 0, 20}},
        // An input link to a folder is scanned as that folder.
        {"list", {root + "/sub", root + "/.hidden", dir.file("to-sub")}, false, false, {5, 2, 81}},
        {"list without hidden",
         {root + "/sub", root + "/.hidden", dir.file("to-sub")},
         false,
         true,
         {4, 2, 76}},
        {"empty list", {}, false, false, {0, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TreeCountScan scanner(c.inputs);
        scanner.setIsContainsSelf(c.containsSelf);
        if (c.ignoreHidden)
            scanner.setPropertyOptions(ScanOptions::instance(true));
        EXPECT_EQ(scan(scanner), c.expected);
    }
}

TEST(TreeCountScan, TheRunningThreadsMarkStopsTheScan) {
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
