#include "ReaderOf.h"
#include "archive/GzipReader.h"
#include "archive/TarReader.h"
#include "archive/ZipReader.h"
#include "support/ArchiveKit.h"

#include <gtest/gtest.h>

using namespace ArchiveKit;

// Archives as other tools make them, odd but valid ones and a few that are refused: each lists
// and extracts as those tools do. A new oddity is one more row.

TEST(OddArchives, ListAndExtractAsOtherToolsDo) {
    struct Odd {
        const char *label;
        // t.zip, t.tar or t.tar.gz, read by the reader of that format
        const char *archive;
        // A python script (with archive_maker's add()) or, starting with "$ ", a shell command, run
        // in a folder holding a.txt, d/b.txt and big.bin, that makes the archive.
        const char *maker;
        const char *listed; // as listedPaths(), joined by ", "
        // What extraction gives, by contentsBelow(): "path: content" for a file, "path/"
        // for a folder, joined by ", ".
        const char *extracted;
        // Part of the error message; empty when none is expected.
        const char *error = "";
        // A command extracting the archive into "peer" the way the tool that made it does; when
        // set, extraction must give what it gives (and extracted is not used).
        const char *peer = "";
    };
    const char *gnuTar = "mkdir peer && tar xf t.tar -C peer 2>/dev/null";
    const char *python = "python3 -m zipfile -e t.zip peer";
    const Odd odds[] = {
        {"empty archive", "t.zip", "zipfile.ZipFile('t.zip', 'w').close()", "", ""},
        {"duplicate names, the later under a free name", "t.zip",
         "z = zipfile.ZipFile('t.zip', 'w')\nadd(z, 'd/a.txt', b'first')\n"
         "add(z, 'd/a.txt', b'second')\nadd(z, 'd/.rc', b'one')\nadd(z, 'd/.rc', b'two')\n"
         "z.close()",
         "d/, d/.rc, d/.rc 2, d/a 2.txt, d/a.txt",
         "d/, d/.rc: one, d/.rc 2: two, d/a.txt: first, d/a 2.txt: second"},
        {"paths shown as extraction writes them", "t.zip",
         "z = zipfile.ZipFile('t.zip', 'w')\nadd(z, '../up.txt', b'u')\n"
         "add(z, '/abs/./x.txt', b'x')\nadd(z, '../', b'')\nz.close()",
         "abs/, abs/x.txt, up.txt", "abs/, abs/x.txt: x, up.txt: u"},
        {"a local header that is none, the entry read before it kept", "t.zip",
         "z = zipfile.ZipFile('t.zip', 'w')\nadd(z, 'a.txt', b'a')\nadd(z, 'b.txt', b'b')\n"
         "z.close()\nd = bytearray(open('t.zip', 'rb').read())\nat = d.find(b'PK\\3\\4', 4)\n"
         "d[at:at + 4] = b'XXXX'\nopen('t.zip', 'wb').write(d)",
         "a.txt, b.txt", "a.txt: a", "Archive issues"},
        {"split archive", "t.zip", "$ noise 200000 > r.bin && zip -q -s 64k t.zip r.bin", "", "",
         "join them with zip -s 0"},
        {"first segment of a split archive", "t.zip",
         "$ noise 200000 > r.bin && zip -q -s 64k s.zip r.bin && mv s.z01 t.zip", "", "",
         "join them with zip -s 0"},
        // A download stopped before the directory at the end.
        {"cut before its directory", "t.zip",
         "$ zip -q z.zip a.txt big.bin && head -c $(($(stat -c %s z.zip) - 200)) z.zip > t.zip", "",
         "", "The archive is cut short"},
        // Zip64 records written when nothing needs them: sizes and offsets left at 0xFFFFFFFF in
        // the central directory, held in the 0x0001 extra field.
        {"zip -fz", "t.zip", "$ zip -q -fz t.zip a.txt big.bin", "a.txt, big.bin", "", "", python},
        // Counts, size and offset in the classic end record wrong; the zip64 one holds them.
        {"zip -fz, the classic end record wrong", "t.zip",
         "import struct, subprocess\n"
         "subprocess.run(['zip', '-q', '-fz', 't.zip', 'a.txt', 'big.bin'], check=True)\n"
         "d = bytearray(open('t.zip', 'rb').read())\n"
         "struct.pack_into('<HHII', d, d.rfind(b'PK\\x05\\x06') + 8, 1, 1, 7, 7)\n"
         "open('t.zip', 'wb').write(d)",
         "a.txt, big.bin", "", "", python},
        {"a comment after the end record", "t.zip",
         "$ zip -q t.zip a.txt big.bin && echo note | zip -q -z t.zip", "a.txt, big.bin", "", "",
         python},
        {"a damaged directory record, the entries before it kept", "t.zip",
         "z = zipfile.ZipFile('t.zip', 'w')\nadd(z, 'a.txt', b'a')\nadd(z, 'b.txt', b'b')\n"
         "z.close()\nd = bytearray(open('t.zip', 'rb').read())\n"
         "at = d.find(b'PK\\1\\2', d.find(b'PK\\1\\2') + 4)\nd[at:at + 4] = b'XXXX'\n"
         "open('t.zip', 'wb').write(d)",
         "a.txt", "a.txt: a", "Archive issues"},
        {"the end record counting 65,535, as writers leave it when there are more", "t.zip",
         "import struct, subprocess\n"
         "subprocess.run(['zip', '-q', 't.zip', 'a.txt', 'big.bin'], check=True)\n"
         "d = bytearray(open('t.zip', 'rb').read())\n"
         "struct.pack_into('<HH', d, d.rfind(b'PK\\x05\\x06') + 8, 0xFFFF, 0xFFFF)\n"
         "open('t.zip', 'wb').write(d)",
         "a.txt, big.bin", "", "", python},
        // libarchive reads what minizip does not, links too.
        {"zip -fz, a symbolic link", "t.zip", "$ ln -s a.txt l && zip -q -fz -y t.zip a.txt l",
         "a.txt, l", "a.txt: alpha\n, l: -> a.txt"},
        {"zip from stdin", "t.zip", "$ cat big.bin | zip -q t.zip -", "-", "", "", python},
        {"zip -fz from stdin", "t.zip", "$ cat a.txt | zip -q -fz t.zip -", "-", "", "", python},
        {"self-extractor stub", "t.zip",
         "$ zip -q z.zip a.txt big.bin && noise 5000 > t.zip && cat z.zip >> t.zip "
         "&& zip -q -A t.zip",
         "a.txt, big.bin", "", "", python},
        {"self-extractor stub, zip64 forced", "t.zip",
         "open('t.zip', 'wb').write(bytes(range(256)) * 20)\nz = zipfile.ZipFile('t.zip', 'a')\n"
         "for n in ('a.txt', 'big.bin'):\n"
         "    z.open(n, 'w', force_zip64=True).write(open(n, 'rb').read())\nz.close()",
         "a.txt, big.bin", "", "", python},
        {"python, zip64 forced", "t.zip",
         "z = zipfile.ZipFile('t.zip', 'w', zipfile.ZIP_DEFLATED)\n"
         "for n in ('a.txt', 'big.bin'):\n"
         "    z.open(n, 'w', force_zip64=True).write(open(n, 'rb').read())\nz.close()",
         "a.txt, big.bin", "", "", python},
        // Valid tars that GNU tar and bsdtar read without complaint.
        {"bytes after the end-of-archive blocks", "t.tar",
         "$ tar cf t.tar a.txt d && noise 3000 >> t.tar", "a.txt, d/, d/b.txt", "", "", gnuTar},
        {"bsdtar, text after the end", "t.tar",
         "$ bsdtar cf t.tar a.txt d && echo trailing >> t.tar", "a.txt, d/, d/b.txt", "", "",
         gnuTar},
        {"no end-of-archive blocks", "t.tar", "$ tar cf t.tar a.txt d && truncate -s 2560 t.tar",
         "a.txt, d/, d/b.txt", "", "", gnuTar},
        {"v7 form, folders by trailing slash", "t.tar", "$ tar --format=v7 -cf t.tar a.txt d",
         "a.txt, d/, d/b.txt", "", "", gnuTar},
        // A gzip file may hold several members and end in zeros. Here the first member is as
        // long as the last, whose length the file's trailer gives: the first alone is no whole.
        {"gzip members one after another", "t.tar.gz",
         "$ tar cf t.tar a.txt d big.bin && n=$(( $(stat -c %s t.tar) / 2 )) && "
         "head -c $n t.tar | gzip > t.tar.gz && tail -c +$((n + 1)) t.tar | gzip -1 >> t.tar.gz",
         "a.txt, big.bin, d/, d/b.txt", "", "", "mkdir peer && tar xzf t.tar.gz -C peer"},
        {"zeros after the gzip member", "t.tar.gz",
         "$ tar czf t.tar.gz a.txt d big.bin && head -c 4096 /dev/zero >> t.tar.gz",
         "a.txt, big.bin, d/, d/b.txt", "", "", "mkdir peer && tar xzf t.tar.gz -C peer"},
        // One gzip member is decoded into memory, where the tar is read in place: hard links
        // seek back, sparse files leave holes, a tar cut inside the member keeps what is whole.
        {"hard link in a tar.gz", "t.tar.gz", "$ ln d/b.txt hard && tar czf t.tar.gz a.txt d hard",
         "a.txt, d/, d/b.txt, hard", "", "", "mkdir peer && tar xzf t.tar.gz -C peer"},
        {"sparse file in a tar.gz", "t.tar.gz",
         "$ truncate -s 300000 sparse && echo end >> sparse && "
         "tar --sparse -czf t.tar.gz a.txt sparse",
         "a.txt, sparse", "", "", "mkdir peer && tar xzf t.tar.gz -C peer"},
        {"tar cut short inside a whole gzip member", "t.tar.gz",
         "$ tar cf t.tar a.txt big.bin && head -c 20000 t.tar | gzip > t.tar.gz", "a.txt, big.bin",
         "a.txt: alpha\n", "Archive issues"},
    };
    QByteArray big;
    for (int i = 0; i < 200000; ++i)
        big += QByteArray::number(i * 7919 % 100003);
    for (const Odd &row : odds) {
        SCOPED_TRACE(row.label);
        ScratchDir dir;
        dir.write("a.txt", "alpha\n");
        dir.write("d/b.txt", "beta\n");
        dir.write("big.bin", big);
        const QString maker = QString::fromLatin1(row.maker);
        ASSERT_EQ(
            maker.startsWith("$ ")
                ? runShellIn(dir.path(), maker.mid(2))
                : runPython("import zipfile\nfrom archive_maker import add\n" + maker, dir.path()),
            0);
        if (*row.peer) {
            ASSERT_EQ(runShellIn(dir.path(), row.peer), 0);
        }
        const auto root = ArchiveEntry::rootEntry();
        const QString archive = dir.file(row.archive);
        const MakeReader make = archive.endsWith(".zip")  ? readerOf<ZipReader>
                                : archive.endsWith(".gz") ? readerOf<GzipReader>
                                                          : readerOf<TarReader>;
        const auto reader = make(archive, root.get(), QString());
        reader->listEntries();
        EXPECT_EQ(listedPaths(root.get()), listOf(row.listed));
        const QString out = dir.file("out");
        QDir().mkpath(out);
        reader->extract(out);
        const QMap<QString, QByteArray> extracted = contentsBelow(out);
        QMap<QString, QByteArray> expected;
        for (const QString &item : listOf(row.extracted))
            expected.insert(item.section(": ", 0, 0), item.section(": ", 1).toUtf8());
        EXPECT_EQ(extracted, *row.peer ? contentsBelow(dir.file("peer")) : expected);
        // Listing gives each file the size of its data, a link that of its target.
        for (auto it = extracted.cbegin(); it != extracted.cend(); ++it) {
            const ArchiveEntry *node = findEntry(root.get(), it.key());
            const qsizetype size = it.value().size() - (it.value().startsWith("-> ") ? 3 : 0);
            if (node) {
                EXPECT_EQ(node->uncompressedSize(), quint64(size)) << it.key().toStdString();
            }
        }
        const QString message = messageOf(*reader);
        EXPECT_TRUE(message.contains(QString::fromLatin1(row.error))) << message.toStdString();
        EXPECT_EQ(message.isEmpty(), *row.error == '\0');
    }
}
