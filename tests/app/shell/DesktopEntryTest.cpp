#include "support/TestDirs.h"
#include "util/FileKinds.h"

#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <gtest/gtest.h>

namespace {

QStringList desktopEntry(const char *key) {
    QFile file(QStringLiteral(KIST_DESKTOP_FILE));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QString prefix = QLatin1String(key) + QLatin1Char('=');
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    return {};
}

} // namespace

// The desktop offers Kist for a file by the type the shared MIME database gives it, by name or,
// for a name it does not know, by contents: every kind of file Kist reads must get a registered
// type (or one that inherits from it).
TEST(DesktopEntry, RegistersTheTypeOfEveryFileKistReads) {
    const QStringList registered = desktopEntry("MimeType");
    ASSERT_FALSE(registered.isEmpty());
    ScratchDir dir;
    dir.write("a.txt", "a");
    ASSERT_EQ(
        runShell("cd '" + dir.path() +
                 "' && zip -q s.zip a.txt && rar a -idq s.rar a.txt && 7zz a -bd s.7z a.txt "
                 ">/dev/null && tar cf s.tar a.txt && gzip -c a.txt > s.gz && bzip2 -c "
                 "a.txt > s.bz2 && tar cJf s.xz a.txt && tar --zstd -cf s.zst a.txt && "
                 "tar -I lz4 -cf s.lz4 a.txt && tar cf - a.txt | xz --format=lzma > s.lzma && "
                 "tar --lzip -cf s.lz a.txt && tar cZf s.Z a.txt && "
                 "genisoimage -quiet -o s.iso a.txt && echo a.txt | cpio -o --quiet > "
                 "s.cpio && ar rc s.ar a.txt && gcab -c s.cab a.txt && "
                 "/usr/bin/python3 " KIST_TEST_DATA "/archive_maker.py rpm s.rpm . && "
                 "/usr/bin/python3 " KIST_TEST_DATA "/archive_maker.py lha s.lzh ."),
        0);
    const QHash<ArchiveKind, QString> samples = {
        {ArchiveKind::Zip, "s.zip"},     {ArchiveKind::Rar, "s.rar"},
        {ArchiveKind::SevenZip, "s.7z"}, {ArchiveKind::Tar, "s.tar"},
        {ArchiveKind::GZip, "s.gz"},     {ArchiveKind::BZip2, "s.bz2"},
        {ArchiveKind::Xz, "s.xz"},       {ArchiveKind::Zstd, "s.zst"},
        {ArchiveKind::Lz4, "s.lz4"},     {ArchiveKind::Lzma, "s.lzma"},
        {ArchiveKind::Lzip, "s.lz"},     {ArchiveKind::Compress, "s.Z"},
        {ArchiveKind::Iso9660, "s.iso"}, {ArchiveKind::Cpio, "s.cpio"},
        {ArchiveKind::Ar, "s.ar"},       {ArchiveKind::Rpm, "s.rpm"},
        {ArchiveKind::Cab, "s.cab"},     {ArchiveKind::Lha, "s.lzh"}};
    QMimeDatabase database;
    for (const QString &extension : FileKinds::archiveExtensions()) {
        const QString path = dir.file("x." + extension);
        ASSERT_TRUE(QFile::copy(dir.file(samples.value(*FileKinds::archiveKind(path))), path));
        const QMimeType type = database.mimeTypeForFile(path);
        const bool covered =
            std::any_of(registered.begin(), registered.end(),
                        [&type](const QString &name) { return type.inherits(name); });
        EXPECT_TRUE(covered) << extension.toStdString() << " is " << type.name().toStdString();
    }
    for (const QString &name : registered)
        EXPECT_TRUE(database.mimeTypeForName(name).isValid()) << name.toStdString();
    EXPECT_EQ(desktopEntry("Exec"), QStringList{"kist %F"});
}
