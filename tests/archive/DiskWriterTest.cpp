
#include "archive/RarReader.h"
#include "archive/SevenZipReader.h"
#include "archive/TarReader.h"
#include "archive/ZipReader.h"
#include "support/ArchiveKit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using ArchiveKit::findEntry;
using ArchiveKit::modeOf;
using ArchiveKit::readFile;

// What every reader writes to disk, whole and entry by entry: the same rules for modes, links
// and special files whatever the format.

namespace {

using namespace ArchiveKit;

std::unique_ptr<ReaderBase> readerFor(const QString &path, ArchiveEntry *root) {
    const QString format = QFileInfo(path).suffix();
    if (format == QLatin1String("zip"))
        return ReaderBase::create<ZipReader>(path, root, nullptr, QString());
    if (format == QLatin1String("rar"))
        return ReaderBase::create<RarReader>(path, root, nullptr, QString());
    if (format == QLatin1String("7z"))
        return ReaderBase::create<SevenZipReader>(path, root, nullptr, QString());
    return ReaderBase::create<TarReader>(path, root, nullptr, QString());
}

// Packs the folder with the format's own tool, links stored as links.
QString pack(const QString &folder, const QString &archive) {
    const QString format = QFileInfo(archive).suffix();
    QString command;
    if (format == QLatin1String("zip"))
        command = QStringLiteral("zip -qry %1 t");
    else if (format == QLatin1String("rar"))
        command = QStringLiteral("rar a -idq -ol -r %1 t");
    else if (format == QLatin1String("7z"))
        command = QStringLiteral("7zz a -bso0 -bsp0 -snl %1 t");
    else
        command = QStringLiteral("tar -cf %1 t");
    return runShell(QStringLiteral("cd %1 && ").arg(shellQuote(folder)) +
                    command.arg(shellQuote(archive))) == 0
               ? archive
               : QString();
}

void makeFile(const QString &path, mode_t mode) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("data\n");
    file.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

void makeLink(const QString &path, const char *target) {
    ASSERT_EQ(::symlink(target, QFile::encodeName(path).constData()), 0);
}

mode_t currentUmask() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

TEST(DiskWriter, NoSetIdBitsNoEscapingLinksNoDevicesForEveryReader) {
    struct Row {
        const char *archive;
        bool selection;
    };
    const Row rows[] = {
        {"a.zip", false}, {"a.zip", true}, {"a.tar", false}, {"a.tar", true},
        {"a.7z", false},  {"a.7z", true},  {"a.rar", false}, {"a.rar", true},
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
    };
    ScratchDir dir;
    const QString source = dir.file("src");
    ASSERT_TRUE(QDir().mkpath(source + "/t/sub"));
    for (const auto &file : files)
        makeFile(source + "/" + file.name, file.stored);
    for (const auto &link : links)
        makeLink(source + "/" + link.name, link.target);
    // Only tar keeps a pipe; the other tools refuse or read it.
    ASSERT_EQ(::mkfifo(QFile::encodeName(source + "/fifo").constData(), 0644), 0);
    ASSERT_EQ(runShell(QStringLiteral("cd %1 && tar -rf %2 fifo")
                           .arg(shellQuote(source), shellQuote(dir.file("fifo.tar")))),
              0);
    ::unlink(QFile::encodeName(source + "/fifo").constData());
    const mode_t mask = currentUmask();

    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.archive) + (row.selection ? " selection" : " whole"));
        const QString path = dir.file(row.archive);
        const QString archive = QFile::exists(path) ? path : pack(source, path);
        ASSERT_FALSE(archive.isEmpty());
        const auto root = ArchiveEntry::rootEntry();
        auto reader = readerFor(archive, root.get());
        reader->listEntries();
        ASSERT_FALSE(reader->archiveError());
        ScratchDir dest;
        if (row.selection)
            reader->extract(findEntry(root.get(), QStringLiteral("t/")), dest.path());
        else
            reader->extract(dest.path());
        EXPECT_FALSE(reader->archiveError());
        for (const auto &file : files) {
            EXPECT_EQ(modeOf(dest.file(file.name)), file.restored & ~mask) << file.name;
            EXPECT_EQ(readFile(dest.file(file.name)), "data\n") << file.name;
        }
        for (const auto &link : links) {
            const QFileInfo info(dest.file(link.name));
            EXPECT_EQ(info.isSymLink(), link.made) << link.name;
            EXPECT_EQ(info.exists() || info.isSymLink(), link.made) << link.name;
            const ArchiveWarning warning{ArchiveWarning::Kind::LinkLeftOut,
                                         QString::fromLatin1(link.name)};
            EXPECT_EQ(reader->warnings().contains(warning), !link.made) << link.name;
        }
        EXPECT_EQ(readFile(dest.file("t/inside")), "data\n");
    }

    const auto root = ArchiveEntry::rootEntry();
    auto reader = readerFor(dir.file("fifo.tar"), root.get());
    ScratchDir dest;
    reader->extract(dest.path());
    EXPECT_FALSE(reader->archiveError());
    EXPECT_FALSE(QFileInfo(dest.file("fifo")).exists());
}
