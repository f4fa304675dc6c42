#include "support/ArchiveKit.h"
#include "util/TempFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// Each process keeps its temporary data private, and cleans up only what dead runs of its own
// user left behind.

using ArchiveKit::modeOf;

TEST(PrivateTempFolders, FoldersArePrivateAndOnlyDeadRunsOfThisUserAreRemoved) {
    const QString root = TempFolders::root();
    EXPECT_EQ(modeOf(root), 0700u);
    EXPECT_TRUE(root.startsWith(QDir::tempPath() + "/kist-"));
    const QString large = TempFolders::newLargeItemFolder();
    EXPECT_TRUE(large.startsWith(qEnvironmentVariable("XDG_CACHE_HOME") + "/kist/kist-"));
    EXPECT_EQ(modeOf(qEnvironmentVariable("XDG_CACHE_HOME") + "/kist"), 0700u);
    EXPECT_EQ(modeOf(QFileInfo(large).absolutePath()), 0700u);

    enum Owner { Dead, Live, OtherUser, NoLock };
    const struct {
        const char *name;
        Owner owner;
        bool removed;
    } rows[] = {
        {"kist-dead01", Dead, true},
        {"kist-live01", Live, false},
        {"kist-other1", OtherUser, false},
        {"kist-nolock", NoLock, false},
    };
    int held = -1;
    for (const auto &row : rows) {
        const QString folder = QDir::tempPath() + "/" + row.name;
        ASSERT_TRUE(QDir().mkpath(folder + "/data"));
        if (row.owner == NoLock)
            continue;
        const int lock = ::open(QFile::encodeName(folder + "/.lock").constData(),
                                O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        ASSERT_GE(lock, 0);
        if (row.owner == Live) {
            // A lock held through another open file stands for another live process.
            ASSERT_EQ(::flock(lock, LOCK_EX), 0);
            held = lock;
        } else {
            ::close(lock);
        }
        if (row.owner == OtherUser) {
            ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
        }
    }
    TempFolders::removeLeftovers();
    for (const auto &row : rows)
        EXPECT_EQ(QFileInfo::exists(QDir::tempPath() + "/" + row.name), !row.removed) << row.name;
    EXPECT_TRUE(QFileInfo(root).isDir()) << "the process's own folder stays";
    ::close(held);

    TempFolders::removeOwn();
    EXPECT_FALSE(QFileInfo::exists(root));
    EXPECT_FALSE(QFileInfo::exists(large));
}
