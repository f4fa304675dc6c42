#include "document/ArchiveRules.h"

#include "archive/ArchiveEntry.h"
#include "archive/ArchiveSniffer.h"
#include "settings/RememberedEncodings.h"
#include "util/PathUtil.h"

#include <QFileInfo>

#include "archive/Bzip2Reader.h"
#include "archive/GzipReader.h"
#include "archive/LibarchiveReader.h"
#include "archive/LibarchiveStreamReader.h"
#include "archive/RarReader.h"
#include "archive/SevenZipVolumes.h"
#include "archive/TarReader.h"
#include "archive/ZipReader.h"

namespace {

// The one place that maps a kind of archive to its reader class.
std::unique_ptr<ReaderBase> createReader(ArchiveKind kind, const QString &filePath,
                                         ArchiveEntry *rootEntry, ProgressReceiver *action,
                                         const QString &password, StringEncoding fileEncoding) {
    switch (kind) {
    case ArchiveKind::Zip:
        return ReaderBase::create<ZipReader>(filePath, rootEntry, action, password, fileEncoding);
    case ArchiveKind::Rar:
        return ReaderBase::create<RarReader>(filePath, rootEntry, action, password, fileEncoding);
    case ArchiveKind::GZip:
        return ReaderBase::create<GzipReader>(filePath, rootEntry, action, password, fileEncoding);
    case ArchiveKind::Tar:
        return ReaderBase::create<TarReader>(filePath, rootEntry, action, password, fileEncoding);
    case ArchiveKind::BZip2:
        return ReaderBase::create<Bzip2Reader>(filePath, rootEntry, action, password, fileEncoding);
    case ArchiveKind::Xz:
    case ArchiveKind::Zstd:
    case ArchiveKind::Lz4:
    case ArchiveKind::Lzma:
    case ArchiveKind::Lzip:
    case ArchiveKind::Compress:
        return ReaderBase::create<LibarchiveStreamReader>(filePath, rootEntry, action, password,
                                                          fileEncoding);
    case ArchiveKind::SevenZip:
    case ArchiveKind::Iso9660:
    case ArchiveKind::Cpio:
    case ArchiveKind::Ar:
    case ArchiveKind::Rpm:
    case ArchiveKind::Cab:
    case ArchiveKind::Lha:
        return ReaderBase::create<LibarchiveReader>(filePath, rootEntry, action, password,
                                                    fileEncoding, kind);
    }
    return nullptr;
}

} // namespace

std::unique_ptr<ReaderBase> ArchiveRules::archive(const QString &filePath, ArchiveEntry *rootEntry,
                                                  ProgressReceiver *action, const QString &password,
                                                  StringEncoding fileEncoding) {
    const auto kind = archiveKind(filePath);
    if (!kind)
        return nullptr;
    return createReader(*kind, filePath, rootEntry, action, password, fileEncoding);
}

std::optional<ArchiveKind> ArchiveRules::archiveKind(const QString &filePath) {
    if (SevenZipVolumes::isPart(filePath))
        return ArchiveKind::SevenZip;
    const auto named = FileKinds::archiveKind(filePath);
    // A file that cannot be read keeps its name's kind, so that opening it names that failure.
    if (!QFileInfo(filePath).isReadable())
        return named;
    return ArchiveSniffer::kindOf(filePath, named);
}

StringEncoding ArchiveRules::rememberedEncoding(const QString &filePath) {
    return RememberedEncodings::encodingFor(filePath);
}

QString ArchiveRules::extractedFolderName(const ArchiveEntry &entry, const QString &archivePath) {
    if (!entry.isRoot())
        return entry.name();
    QString base = PathUtil::baseName(archivePath);
    if (SevenZipVolumes::isPart(archivePath))
        return PathUtil::baseName(base);
    const QString inner = PathUtil::extension(base);
    const QString stem = PathUtil::baseName(base);
    if (stem.isEmpty() || inner.isEmpty())
        return base;
    const QLatin1String marker = FileKinds::archiveKind(archivePath) == ArchiveKind::Rar
                                     ? QLatin1String("part")
                                     : QLatin1String("tar");
    return inner.startsWith(marker, Qt::CaseInsensitive) ? stem : base;
}

QString ArchiveRules::zipFileName(const QString &itemPath) {
    return PathUtil::baseName(itemPath);
}
