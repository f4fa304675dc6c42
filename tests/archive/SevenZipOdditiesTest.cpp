#include "archive/LibarchiveReader.h"

#include "support/ArchiveKit.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace ArchiveKit;

// What only the 7z reader has: solid blocks decoded once for a selection. The rest is in the
// conformance table (volume sets in their own, links in the disk writer's).

namespace {

using Listing = Opened<LibarchiveReader>;

// Bytes read by this process so far: the measure of how often the archive was read.
quint64 bytesRead() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = io.readLine(); !line.isEmpty(); line = io.readLine())
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toULongLong();
    return 0;
}

} // namespace

TEST(SevenZipSelection, AFolderOfASolidArchiveIsDecodedOnce) {
    ScratchDir dir;
    ASSERT_EQ(runShellIn(dir.path(),
                         "mkdir -p src/big && for i in 1 2 3 4 5 6 7 8; do noise 262144 $i > "
                         "src/big/f$i.bin; done && cd src && "
                         "7zz a -bd -bso0 -bsp0 -ms=on -mx=1 ../solid.7z big"),
              0);
    const QString archive = dir.file("solid.7z");
    const quint64 archiveSize = quint64(QFileInfo(archive).size());
    Listing listing(archive);
    listing.list();
    ASSERT_EQ(listing.node(QStringLiteral("big/"))->childCount(), 8);

    ScratchDir dest;
    const quint64 before = bytesRead();
    listing.reader->extract(listing.node(QStringLiteral("big/")), dest.path());
    const quint64 read = bytesRead() - before;
    EXPECT_EQ(listing.code(), 0);
    EXPECT_EQ(filesBelow(dest.path()).size(), 9);
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(readFile(dest.file(QStringLiteral("big/f%1.bin").arg(i))),
                  readFile(dir.file(QStringLiteral("src/big/f%1.bin").arg(i))));
    // One walk per file would read the solid block again for each: over four times the archive.
    EXPECT_LT(read, archiveSize * 3 / 2) << "read " << read << " of an archive of " << archiveSize;
}
