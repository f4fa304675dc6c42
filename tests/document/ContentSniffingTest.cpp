#include "archive/ArchiveEntry.h"
#include "archive/ReaderBase.h"
#include "document/ArchiveRules.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct SniffCase {
    const char *label;
    // Makes the file named below in a folder holding a.txt.
    const char *command;
    const char *name;
    std::optional<ArchiveKind> kind;
    // What its reader lists at the top.
    size_t entries = 1;
};

// The reader follows the bytes, not the name; the name only breaks ties.
TEST(ContentSniffing, ChoosesTheReaderFromTheContent) {
    const SniffCase cases[] = {
        {"zip named .cbr", "zip -q x.cbr a.txt", "x.cbr", ArchiveKind::Zip},
        {"zip named .jar", "zip -q x.jar a.txt", "x.jar", ArchiveKind::Zip},
        {"zip named .epub", "zip -q x.epub a.txt", "x.epub", ArchiveKind::Zip},
        {"empty zip", "python3 -c \"import zipfile; zipfile.ZipFile('e.zip', 'w').close()\"",
         "e.zip", ArchiveKind::Zip, 0},
        {"self-extractor",
         "noise 3000 > s.exe && zip -q z.zip a.txt && "
         "cat z.zip >> s.exe && zip -q -A s.exe",
         "s.exe", ArchiveKind::Zip},
        {"RAR5 named .cbz", "rar a -idq x.cbz a.txt", "x.cbz", ArchiveKind::Rar},
        {"RAR4 named .zip",
         "PYTHONPATH=" KIST_TEST_DATA " python3 -c \"from archive_maker import rar4; "
         "rar4('x.zip', 3, [(b'a.txt', 'alpha')])\"",
         "x.zip", ArchiveKind::Rar},
        {"7z named .zip", "7zz a -t7z -bd x.zip a.txt > /dev/null", "x.zip", ArchiveKind::SevenZip},
        {"gzip named .bz2", "gzip -c a.txt > x.bz2", "x.bz2", ArchiveKind::GZip},
        {"tgz", "tar czf x.tgz a.txt", "x.tgz", ArchiveKind::GZip},
        {"bzip2 named .gz", "bzip2 -c a.txt > x.gz", "x.gz", ArchiveKind::BZip2},
        {"GNU tar named .dat", "tar cf x.dat a.txt", "x.dat", ArchiveKind::Tar},
        {"v7 tar", "tar --format=v7 -cf x.bin a.txt", "x.bin", ArchiveKind::Tar},
        {"empty tar", "tar cf e.tar -T /dev/null", "e.tar", ArchiveKind::Tar, 0},
        {"comic tar", "tar cf x.cbt a.txt", "x.cbt", ArchiveKind::Tar},
        {"comic 7z", "7zz a -t7z -bd x.cb7 a.txt > /dev/null", "x.cb7", ArchiveKind::SevenZip},
        {"xz named .gz", "xz -c a.txt > x.gz", "x.gz", ArchiveKind::Xz},
        {"tar.zst named .tar", "tar --zstd -cf x.tar a.txt", "x.tar", ArchiveKind::Zstd},
        {"lz4 named .zip", "lz4 -q a.txt x.zip", "x.zip", ArchiveKind::Lz4},
        // LZMA tools write dictionaries of 2^n bytes or, as here, one and a half of that.
        {"tar.lzma named .tlz", "tar cf - a.txt | xz --format=lzma --lzma1=dict=3MiB > x.tlz",
         "x.tlz", ArchiveKind::Lzma},
        {"tar.lz named .tlz", "tar --lzip -cf x.tlz a.txt", "x.tlz", ArchiveKind::Lzip},
        {"compress", "compress -c a.txt > x.Z", "x.Z", ArchiveKind::Compress},
        {"ISO 9660 named .img", "genisoimage -quiet -o x.img a.txt", "x.img", ArchiveKind::Iso9660},
        {"cpio newc", "echo a.txt | cpio -o -H newc --quiet > x.dat", "x.dat", ArchiveKind::Cpio},
        {"cpio binary", "echo a.txt | cpio -o -H bin --quiet > x.cpio", "x.cpio",
         ArchiveKind::Cpio},
        {"Debian package",
         "mkdir -p p/DEBIAN && printf 'Package: x\\nVersion: 1\\nArchitecture: all\\n"
         "Maintainer: m <m@m.org>\\nDescription: d\\n' > p/DEBIAN/control && "
         "dpkg-deb -Zxz -b p x.deb > /dev/null",
         "x.deb", ArchiveKind::Ar, 3},
        {"cabinet named .bin", "gcab -c x.bin a.txt", "x.bin", ArchiveKind::Cab},
        {"zeros not named tar", "head -c 10240 /dev/zero > z.zip", "z.zip", std::nullopt},
        {"text named .zip", "echo 'not an archive' > t.zip", "t.zip", std::nullopt},
        // 'q' is the first byte of a big-endian binary cpio's magic number.
        {"text starting with q", "echo 'quite plain' > q.zip", "q.zip", std::nullopt},
        {"empty file named .rar", ": > e.rar", "e.rar", std::nullopt},
    };
    for (const SniffCase &row : cases) {
        SCOPED_TRACE(row.label);
        ScratchDir dir;
        dir.write("a.txt", "alpha\n");
        ASSERT_EQ(runShellIn(dir.path(), QString::fromLatin1(row.command)), 0);
        const QString path = dir.file(QString::fromLatin1(row.name));
        EXPECT_EQ(ArchiveRules::archiveKind(path), row.kind);
        auto root = ArchiveEntry::rootEntry();
        const auto reader =
            ArchiveRules::archive(path, root.get(), nullptr, QString(), kAutomaticEncoding);
        ASSERT_EQ(reader != nullptr, row.kind.has_value());
        if (!reader)
            continue;
        reader->listEntries();
        EXPECT_FALSE(reader->archiveError());
        EXPECT_EQ(root->children().size(), row.entries);
    }
}

} // namespace
