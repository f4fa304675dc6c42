#include "ReaderOf.h"
#include "archive/GzipReader.h"
#include "archive/LibarchiveStreamReader.h"
#include "archive/RarReader.h"
#include "archive/TarReader.h"
#include "archive/ZipReader.h"
#include "support/ArchiveKit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

using namespace ArchiveKit;

// What every reader writes to disk, whole and entry by entry: the same rules for modes, links
// and special files whatever the format.

namespace {

// The whole archive, its extraction announced before the listing (a compressed tar is then read
// once, as it is decoded, and kept nowhere).
const QString kAnnounced = QStringLiteral("announced");

// Lists the archive and extracts each selection (the path of a node, "" or kAnnounced for the
// whole archive), each time into a fresh folder that the check looks at.
void extractEach(const QString &archive, MakeReader make, const QStringList &selections,
                 const std::function<void(const ReaderBase &, const ArchiveEntry *,
                                          const ScratchDir &, const QString &)> &check) {
    for (const QString &selection : selections) {
        SCOPED_TRACE(QFileInfo(archive).fileName().toStdString() + " " +
                     (selection.isEmpty() ? "whole" : selection.toStdString()));
        const auto root = ArchiveEntry::rootEntry();
        ScratchDir dest;
        auto reader = make(archive, root.get(), QString());
        if (selection == kAnnounced)
            reader->extractWhileListing(dest.path());
        reader->listEntries();
        EXPECT_FALSE(reader->archiveError());
        if (selection.isEmpty() || selection == kAnnounced)
            reader->extract(dest.path());
        else
            reader->extract(findEntry(root.get(), selection), dest.path());
        EXPECT_FALSE(reader->archiveError());
        check(*reader, root.get(), dest, selection);
    }
}

// The whole archive and its folder "t/".
const QStringList kWholeAndFolder = {"", "t/", kAnnounced};

} // namespace

TEST(DiskWriter, NoSetIdBitsNoEscapingLinksNoDevicesForEveryReader) {
    // Each format packed by its own tool, links stored as links; %1 is the archive.
    const struct {
        const char *archive;
        const char *command;
        MakeReader make;
        bool hardLinksAlone = false; // each name of a hard link lists the size and extracts alone
    } formats[] = {
        {"a.zip", "zip -qry %1 t", readerOf<ZipReader>},
        {"a.tar", "tar -cf %1 t", readerOf<TarReader>, true},
        {"a.7z", "7zz a -bso0 -bsp0 -snl %1 t", readerOf<LibarchiveReader>},
        {"a.rar", "rar a -idq -ol -r %1 t", readerOf<RarReader>},
        {"a.cpio", "find t | cpio -o -H newc --quiet > %1", libarchiveOf<ArchiveKind::Cpio>},
        {"o.cpio", "find t | cpio -o -H odc --quiet > %1", libarchiveOf<ArchiveKind::Cpio>, true},
        {"a.iso", "genisoimage -quiet -R -graft-points -o %1 t/=t",
         libarchiveOf<ArchiveKind::Iso9660>},
        {"a.tar.gz", "tar -czf %1 t", readerOf<GzipReader>},
        {"a.tar.xz", "tar -cJf %1 t", readerOf<LibarchiveStreamReader>},
    };
    // Stored mode, then the permission every reader must give back (before the umask).
    const struct {
        const char *name;
        mode_t stored;
        mode_t restored;
    } files[] = {
        {"t/setuid", 04755, 0755},
        {"t/setgid", 02750, 0750},
        {"t/sticky", 01644, 0644},
        {"t/private", 0400, 0600},
    };
    const struct {
        const char *name;
        const char *target;
        bool made;
    } links[] = {
        {"t/inside", "setuid", true},
        {"t/sub/up", "../sticky", true},
        {"t/escape", "../../outside.txt", false},
        {"t/absolute", "/etc/passwd", false},
        {"t/climb", "sub/../../../x", false},
        {"t/sub/top", "..", true},
        {"t/dangling", "nowhere", true},
        // ".." after a name climbs from wherever a link of that name leads.
        {"t/after", "inside/../sticky", false},
    };
    ScratchDir dir;
    const QString source = dir.file("src");
    ASSERT_TRUE(QDir().mkpath(source + "/t/sub"));
    for (const auto &file : files) {
        const QString path = dir.write(QStringLiteral("src/") + file.name, "data\n");
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), file.stored), 0);
    }
    for (const auto &link : links)
        ASSERT_TRUE(QFile::link(link.target, source + "/" + link.name));
    // A hard link is a copy of the file it names, written by the same extraction, whichever name
    // the format stores the data with (cpio's newc: the last one; tar, ISO 9660 and odc: the
    // first).
    const char *const hardLinked[] = {"t/a", "t/sub/b"};
    ASSERT_EQ(runShellIn(source, "printf 'data\\n' > t/a && ln t/a t/sub/b"), 0);
    const auto linksLeftOut = std::count_if(std::begin(links), std::end(links),
                                            [](const auto &link) { return !link.made; });
    // Only tar keeps a pipe; the other tools refuse or read it.
    ASSERT_EQ(::mkfifo(QFile::encodeName(source + "/fifo").constData(), 0644), 0);
    ASSERT_EQ(runShellIn(source, "tar -rf " + shellQuote(dir.file("fifo.tar")) + " fifo"), 0);
    ::unlink(QFile::encodeName(source + "/fifo").constData());
    const mode_t mask = ::umask(022);
    ::umask(mask);

    for (const auto &format : formats) {
        const QString archive = dir.file(format.archive);
        ASSERT_EQ(runShellIn(source, QString::fromLatin1(format.command).arg(shellQuote(archive))),
                  0);
        extractEach(archive, format.make, kWholeAndFolder,
                    [&](const ReaderBase &reader, const ArchiveEntry *root, const ScratchDir &dest,
                        const QString &) {
                        for (const auto &file : files) {
                            EXPECT_EQ(modeOf(dest.file(file.name)), file.restored & ~mask)
                                << file.name;
                            EXPECT_EQ(readFile(dest.file(file.name)), "data\n") << file.name;
                        }
                        for (const auto &link : links) {
                            EXPECT_EQ(findEntry(root, link.name)->linkTarget(), link.target);
                            const QFileInfo info(dest.file(link.name));
                            EXPECT_EQ(info.isSymLink(), link.made) << link.name;
                            EXPECT_EQ(info.exists() || info.isSymLink(), link.made) << link.name;
                            const ArchiveWarning warning{ArchiveWarning::Kind::LinkLeftOut,
                                                         QString::fromLatin1(link.name)};
                            EXPECT_EQ(reader.warnings().contains(warning), !link.made) << link.name;
                        }
                        EXPECT_EQ(reader.warnings().size(), linksLeftOut);
                        EXPECT_EQ(readFile(dest.file("t/inside")), "data\n");
                        for (const char *name : hardLinked)
                            EXPECT_EQ(readFile(dest.file(name)), "data\n") << name;
                    });
        if (!format.hardLinksAlone)
            continue;
        extractEach(archive, format.make, {hardLinked[0], hardLinked[1]},
                    [&](const ReaderBase &reader, const ArchiveEntry *root, const ScratchDir &dest,
                        const QString &selection) {
                        EXPECT_EQ(reader.warnings(), ArchiveWarnings());
                        EXPECT_EQ(findEntry(root, selection)->uncompressedSize(), 5u);
                        const QString name = QFileInfo(selection).fileName();
                        EXPECT_EQ(filesBelow(dest.path()), QStringList{name});
                        EXPECT_EQ(readFile(dest.file(name)), "data\n");
                    });
    }

    // 7zz stores what it reads from its standard input as a pipe that holds the data, which
    // 7-Zip extracts as a file; a tar pipe holds nothing and is left out with a warning.
    ASSERT_EQ(runShellIn(source, "echo x | 7zz a -bso0 -bsp0 -sififo " + dir.file("fifo.7z")), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(source + "/fifo").constData(), 0644), 0);
    ASSERT_EQ(runShellIn(source, "echo fifo | cpio -o -H newc --quiet > " + dir.file("fifo.cpio")),
              0);
    const struct {
        const char *archive;
        MakeReader make;
        QByteArray file; // the data extracted, null when nothing may be
    } pipes[] = {{"fifo.tar", readerOf<TarReader>, {}},
                 {"fifo.7z", readerOf<LibarchiveReader>, "x\n"},
                 {"fifo.cpio", libarchiveOf<ArchiveKind::Cpio>, {}}};
    for (const auto &[archive, make, file] : pipes) {
        extractEach(
            dir.file(archive), make, {""},
            [&](const ReaderBase &reader, const ArchiveEntry *, const ScratchDir &dest,
                const QString &) {
                EXPECT_EQ(QFileInfo(dest.file("fifo")).isFile(), !file.isNull());
                EXPECT_EQ(readFile(dest.file("fifo")), file);
                const ArchiveWarnings leftOut =
                    file.isNull()
                        ? ArchiveWarnings{{ArchiveWarning::Kind::SpecialFileLeftOut, "fifo"}}
                        : ArchiveWarnings();
                EXPECT_EQ(reader.warnings(), leftOut);
            });
    }
}

// A name longer than the file system takes (a component over 255 bytes) is left out with a
// warning naming it, and the rest still extracts, for every reader, whole and selected.
TEST(DiskWriter, ANameTooLongIsLeftOutAndTheRestExtracts) {
    ScratchDir dir;
    const QString tooLong = "t/" + QString(300, QLatin1Char('L')) + ".txt";
    ASSERT_EQ(runPython(QStringLiteral(R"(
import io, sys, tarfile, zipfile
entries = [(sys.argv[1], b'x\n'), ('t/ok.txt', b'fine\n')]
with tarfile.open('a.tar', 'w', format=tarfile.PAX_FORMAT) as t:
    for name, data in entries:
        info = tarfile.TarInfo(name); info.size = len(data); t.addfile(info, io.BytesIO(data))
with zipfile.ZipFile('a.zip', 'w') as z:
    for name, data in entries:
        z.writestr(name, data)
)"),
                        dir.path(), {tooLong}),
              0);
    // bsdtar turns the tar into a 7z; rar takes the long name from its standard input.
    ASSERT_EQ(runShellIn(dir.path(), "bsdtar --format 7zip -cf a.7z @a.tar && mkdir t && "
                                     "printf 'fine\\n' > t/ok.txt && rar a -idq a.rar t/ok.txt && "
                                     "echo x | rar a -idq -si" +
                                         shellQuote(tooLong) + " a.rar"),
              0);
    const std::pair<const char *, MakeReader> formats[] = {
        {"a.zip", readerOf<ZipReader>},
        {"a.tar", readerOf<TarReader>},
        {"a.7z", readerOf<LibarchiveReader>},
        {"a.rar", readerOf<RarReader>},
    };
    for (const auto &[archive, make] : formats) {
        extractEach(
            dir.file(archive), make, kWholeAndFolder,
            [&](const ReaderBase &reader, const ArchiveEntry *, const ScratchDir &dest,
                const QString &) {
                EXPECT_EQ(readFile(dest.file("t/ok.txt")), "fine\n");
                const ArchiveWarnings leftOut{{ArchiveWarning::Kind::NameTooLongLeftOut, tooLong}};
                EXPECT_EQ(reader.warnings(), leftOut);
            });
    }
}
