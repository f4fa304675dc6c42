#include "archive/ArchiveError.h"
#include "archive/Bzip2Reader.h"
#include "archive/GzipReader.h"

#include "support/ArchiveKit.h"
#include "support/TestDirs.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using namespace ArchiveKit;

struct CutCase {
    const char *label;
    // Makes the archive, named below, from a.txt, b.bin and c.txt, then cuts it in half (bzip2
    // decodes whole blocks only: small ones leave some before the cut).
    const char *command;
    const char *name;
    bool bzip2;
    // What extraction gives whole; for a single file, a name whose content must be a non-empty
    // part from the start of b.bin.
    QStringList files;
    const char *partOfB = "";
};

TEST(CutCompressed, CompleteEntriesAreKeptAndTheCutReported) {
    const CutCase cases[] = {
        {"tgz", "tar czf x a.txt b.bin c.txt", "t.tgz", false, {"a.txt"}},
        {"tar.gz", "tar czf x a.txt b.bin c.txt", "t.tar.gz", false, {"a.txt"}},
        {"tbz2", "tar cf - a.txt b.bin c.txt | bzip2 -1 > x", "t.tbz2", true, {"a.txt"}},
        {"single gz", "gzip -c b.bin > x", "b.gz", false, {"b"}, "b"},
        {"single bz2", "bzip2 -1 -c b.bin > x", "b.bz2", true, {"b"}, "b"},
    };
    for (const CutCase &row : cases) {
        SCOPED_TRACE(row.label);
        ScratchDir dir;
        dir.write("a.txt", "alpha\n");
        QByteArray noise(400000, Qt::Uninitialized);
        for (qsizetype i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + (i >> 7) * 104729) & 0xFF);
        dir.write("b.bin", noise);
        dir.write("c.txt", "gamma\n");
        ASSERT_EQ(
            runShellIn(dir.path(), QStringLiteral("%1 && head -c $(( $(stat -c %s x) / 2 )) x > %2")
                                       .arg(QString::fromLatin1(row.command), row.name)),
            0);
        const QString path = dir.file(QString::fromLatin1(row.name));
        auto root = ArchiveEntry::rootEntry();
        std::unique_ptr<CompressedFileReader> reader;
        if (row.bzip2)
            reader = ReaderBase::create<Bzip2Reader>(path, root.get(), nullptr, QString());
        else
            reader = ReaderBase::create<GzipReader>(path, root.get(), nullptr, QString());
        reader->listEntries();
        ASSERT_TRUE(reader->archiveError());
        EXPECT_EQ(reader->archiveError()->message,
                  archiveError(ArchiveErrorCode::CutShort).message);
        EXPECT_TRUE(reader->keepsWhatWasRead());
        EXPECT_TRUE(listedPaths(root.get()).contains(row.files.first()));

        ScratchDir out;
        reader->extract(out.path());
        ASSERT_TRUE(reader->archiveError());
        EXPECT_EQ(reader->archiveError()->message,
                  archiveError(ArchiveErrorCode::CutShort).message);
        EXPECT_EQ(filesBelow(out.path()), row.files);
        if (*row.partOfB) {
            const QByteArray part = readFile(out.file(QString::fromLatin1(row.partOfB)));
            EXPECT_FALSE(part.isEmpty());
            EXPECT_TRUE(noise.startsWith(part));
        } else {
            EXPECT_EQ(readFile(out.file("a.txt")), "alpha\n");
        }
        // Letting the decompressed data go leaves none behind and names none.
        const QString decompressed = reader->tempFile();
        reader->removeTempFile();
        EXPECT_FALSE(QFileInfo::exists(decompressed));
        EXPECT_EQ(reader->tempFile(), QString());
    }
}

} // namespace
