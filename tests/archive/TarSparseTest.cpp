#include "archive/TarReader.h"

#include "support/ArchiveKit.h"

#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace ArchiveKit;

// GNU tar stores a sparse file as its data spans plus a map of them, in four forms. Each must
// list the file's real size and give back its bytes with the holes left as holes.

namespace {

// Thirty islands of data far apart (more spans than an old GNU header holds, so its map goes on
// in extension records), ending in a hole.
QByteArray writeIslands(const QString &path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    for (int island = 0; island < 30; ++island) {
        file.seek(qint64(island) * 65536);
        file.write(QByteArray(1000, char('A' + island % 26)));
    }
    file.resize(30 * 65536 + 5);
    file.close();
    return readFile(path);
}

} // namespace

TEST(TarSparse, EveryGnuFormListsTheRealSizeAndExtractsWithHoles) {
    ScratchDir dir;
    const QByteArray islands = writeIslands(dir.write(QStringLiteral("in/islands.bin"), {}));
    const std::pair<const char *, const char *> forms[] = {
        {"old GNU", "--format=gnu"},
        {"pax 0.0", "--format=pax --sparse-version=0.0"},
        {"pax 0.1", "--format=pax --sparse-version=0.1"},
        {"pax 1.0", "--format=pax --sparse-version=1.0"},
    };
    int number = 0;
    for (const auto &[name, options] : forms) {
        SCOPED_TRACE(name);
        const QString archive = dir.file(QStringLiteral("%1.tar").arg(++number));
        ASSERT_EQ(runShell(QStringLiteral("tar -S %1 -cf %2 -C %3 islands.bin")
                               .arg(QLatin1String(options), shellQuote(archive),
                                    shellQuote(dir.file(QStringLiteral("in"))))),
                  0);
        Opened<TarReader> tar(archive);
        ASSERT_EQ(tar.list(), QStringList{QStringLiteral("islands.bin")});
        EXPECT_EQ(tar.node(QStringLiteral("islands.bin"))->uncompressedSize(),
                  quint64(islands.size()));
        for (const bool alone : {false, true}) {
            SCOPED_TRACE(alone ? "the entry alone" : "the whole archive");
            const QString out = dir.file(QStringLiteral("out%1-%2").arg(number).arg(alone));
            if (alone)
                tar.extract(QStringLiteral("islands.bin"), out);
            else
                tar.reader->extract(out);
            EXPECT_EQ(tar.code(), 0);
            const QString extracted = out + QStringLiteral("/islands.bin");
            EXPECT_EQ(readFile(extracted), islands);
            struct stat info = {};
            ASSERT_EQ(::lstat(QFile::encodeName(extracted).constData(), &info), 0);
            EXPECT_LT(qint64(info.st_blocks) * 512, islands.size() / 4) << "the holes were filled";
        }
    }
    // The first span of the pax 0.1 map gains in its first digit (the record keeps its length):
    // spans that do not add up to the stored bytes are damage, not a file of made-up holes.
    QByteArray bytes = readFile(dir.file(QStringLiteral("3.tar")));
    const qsizetype span = bytes.indexOf("GNU.sparse.map=0,");
    ASSERT_GE(span, 0);
    char &digit = bytes[span + 17];
    digit = digit == '9' ? '8' : '9';
    Opened<TarReader> damaged(dir.write(QStringLiteral("damaged.tar"), bytes));
    damaged.list();
    EXPECT_EQ(damaged.code(), int(ArchiveErrorCode::Archive));
}
