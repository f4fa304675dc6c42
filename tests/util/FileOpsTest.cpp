#include "util/FileOps.h"
#include "support/ArchiveKit.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(FileOps, RemoveTakesReadOnlyItemsAndLinksButNotLinkTargets) {
    ScratchDir dir;
    const QString readOnly = dir.write("ro.txt", "x");
    ::chmod(QFile::encodeName(readOnly).constData(), 0444);
    const QString kept = dir.write("kept/inner.txt", "x");
    ASSERT_TRUE(QFile::link(dir.file("kept"), dir.file("link")));
    dir.write("tree/a/b.txt", "x");

    for (const char *name : {"ro.txt", "link", "tree", "never-there"}) {
        EXPECT_FALSE(FileOps::removeItem(dir.file(name)).has_value()) << name;
        EXPECT_FALSE(QFileInfo(dir.file(name)).exists() || QFileInfo(dir.file(name)).isSymLink())
            << name;
    }
    EXPECT_TRUE(QFileInfo::exists(kept));
}

// A copy replaces the destination, reporting each chunk; a failed one leaves none.
TEST(FileOps, CopyReplacesTheDestinationInChunksOrLeavesNone) {
    ScratchDir dir;
    const QByteArray big = ArchiveKit::noise(2 * 1048576 + 17, 1);
    const QString source = dir.write("big.bin", big);
    const QString destination = dir.write("copy.bin", "an older, longer file than the copy");
    ArchiveKit::ProgressRecorder progress;
    EXPECT_TRUE(FileOps::copyFile(source, destination, &progress));
    EXPECT_EQ(ArchiveKit::readFile(destination), big);
    EXPECT_EQ(progress.finished, (QList<quint64>{1048576, 1048576, 17}));

    struct Case {
        const char *what;
        QString source;
        bool cancelled;
    };
    // Reading /proc/self/mem at offset 0 fails with EIO: nothing is mapped there.
    const Case cases[] = {
        {"missing source", dir.file("missing"), false},
        {"read error", QStringLiteral("/proc/self/mem"), false},
        {"cancelled", source, true},
    };
    for (const Case &c : cases) {
        bool copied = true;
        ArchiveKit::runOnThread([&] {
            if (c.cancelled)
                QThread::currentThread()->requestInterruption();
            copied = FileOps::copyFile(c.source, dir.file("out"), nullptr);
        });
        EXPECT_FALSE(copied) << c.what;
        EXPECT_FALSE(QFileInfo::exists(dir.file("out"))) << c.what;
    }
}
