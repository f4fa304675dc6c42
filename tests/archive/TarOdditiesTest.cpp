#include "archive/TarReader.h"

#include "support/ArchiveKit.h"

#include <QDateTime>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace ArchiveKit;

// What only tar has: pax keywords over the header fields, GNU long names, dates before 1970 and
// sizes past the header's octal field. The rest is in the conformance table (hard links in the
// disk writer's).

using Listing = Opened<TarReader>;

TEST(TarOddities, PaxKeywordsLongNamesTimesAndSizesPastTheOctalFieldWin) {
    ScratchDir dir;
    // The huge entries' data is never written, only skipped over (the files are sparse).
    ASSERT_EQ(runPython(QStringLiteral(R"(
import io, tarfile
def write(path, fmt, entries, **kw):
    t = tarfile.open(path, 'w', format=fmt, **kw)
    for name, mtime, kind in entries:
        info = tarfile.TarInfo(name); info.mtime = mtime; info.type = kind
        info.linkname = 'uni-\u015d.txt' if kind == tarfile.SYMTYPE else ''
        data = name.encode('utf-8') if kind == tarfile.REGTYPE else b''
        info.size = len(data)
        t.addfile(info, io.BytesIO(data))
    t.close()
write('times.tar', tarfile.PAX_FORMAT, [('zero.txt', 0, tarfile.REGTYPE), ('link', 0, tarfile.SYMTYPE),
    ('neg.txt', -86400, tarfile.REGTYPE), ('uni-\u015d.txt', 1600000000, tarfile.REGTYPE),
    ('p' * 120 + '/deep.txt', 1600000000, tarfile.REGTYPE)],
    pax_headers={'comment': 'a global header'})
write('latin.tar', tarfile.GNU_FORMAT, [('caf\u00e9-' + 'n' * 110, 1600000000, tarfile.FIFOTYPE),
    ('next.txt', 1600000000, tarfile.REGTYPE), ('caf\u00e9.txt', -86400, tarfile.REGTYPE)],
    encoding='latin-1')
for path, fmt in (('huge-gnu.tar', tarfile.GNU_FORMAT), ('huge-pax.tar', tarfile.PAX_FORMAT)):
    with open(path, 'wb') as f:
        huge = tarfile.TarInfo('huge.bin'); huge.size = 9 * 2**30; huge.mtime = 1600000000
        f.write(huge.tobuf(fmt))
        f.seek(huge.size, 1)
        after = tarfile.TarInfo('after.txt'); after.size = 1; after.mtime = 1600000000
        f.write(after.tobuf(fmt) + b'x' + b'\0' * 511 + b'\0' * 1024)
)"),
                        dir.path()),
              0);
    const StringEncoding latin1 = StringEncodings::fromIANAName(QStringLiteral("ISO-8859-1"));
    Listing paxListing(dir.file("times.tar"), {}, latin1);
    EXPECT_EQ(paxListing.list(),
              QStringList({"link", "neg.txt", QString(120, 'p') + "/",
                           QString(120, 'p') + "/deep.txt", "uni-ŝ.txt", "zero.txt"}))
        << "pax names are UTF-8 whatever encoding was chosen";
    EXPECT_EQ(paxListing.code(), 0);
    const QDateTime dayBefore1970(QDate(1969, 12, 31), QTime(0, 0), QTimeZone::utc());
    const ArchiveEntry *link = paxListing.node("link");
    const ArchiveEntry *zero = paxListing.node("zero.txt");
    const ArchiveEntry *negative = paxListing.node("neg.txt");
    ASSERT_TRUE(link && zero && negative);
    EXPECT_EQ(link->linkTarget(), "uni-ŝ.txt") << "so is a pax link name";
    EXPECT_FALSE(zero->date());
    EXPECT_EQ(negative->date(), dayBefore1970);

    Listing gnuListing(dir.file("latin.tar"), {}, latin1);
    EXPECT_EQ(gnuListing.list(), QStringList({"café.txt", "next.txt"}))
        << "a long name given to a FIFO is not passed on to the next entry";
    EXPECT_EQ(gnuListing.code(), 0);
    ASSERT_TRUE(gnuListing.node("café.txt"));
    EXPECT_EQ(gnuListing.node("café.txt")->date(), dayBefore1970);

    ScratchDir dest;
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    paxListing.reader->extract(dest.path());
    EXPECT_EQ(paxListing.code(), 0);
    EXPECT_GE(mtimeOf(dest.file(QStringLiteral("zero.txt"))), before - 5)
        << "no date: the file keeps the time it was written";
    EXPECT_EQ(mtimeOf(dest.file(QStringLiteral("neg.txt"))), -86400);
    EXPECT_EQ(readFile(dest.file(QString(120, 'p') + "/deep.txt")),
              (QString(120, 'p') + "/deep.txt").toUtf8());

    // Sizes past the octal field: the walk goes on after such an entry.
    for (const QString &archive : {dir.file("huge-gnu.tar"), dir.file("huge-pax.tar")}) {
        Listing listing(archive);
        listing.list();
        EXPECT_EQ(listing.code(), 0) << archive.toStdString();
        ASSERT_TRUE(listing.node("huge.bin") && listing.node("after.txt")) << archive.toStdString();
        EXPECT_EQ(listing.node("huge.bin")->uncompressedSize(), 9ULL << 30);
        ScratchDir alone;
        listing.extract("after.txt", alone.path());
        EXPECT_EQ(readFile(alone.file("after.txt")), "x");
    }
}
