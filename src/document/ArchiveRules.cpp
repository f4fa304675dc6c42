#include "document/ArchiveRules.h"

#include "archive/ArchiveEntry.h"
#include "encoding/EncodingUtil.h"
#include "util/FileUtil.h"

#include "archive/Bzip2Reader.h"
#include "archive/GzipReader.h"
#include "archive/RarReader.h"
#include "archive/SevenZipReader.h"
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
    case ArchiveKind::SevenZip:
        return ReaderBase::create<SevenZipReader>(filePath, rootEntry, action, password,
                                                  fileEncoding);
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
    return FileKinds::archiveKind(filePath);
}

StringEncoding ArchiveRules::rememberedEncoding(const QString &filePath) {
    return EncodingUtil::rememberedEncoding(filePath);
}

bool ArchiveRules::isRarVolume(const QString &filePath) {
    if (!FileKinds::isRar(filePath))
        return false;
    const QString inner = FileUtil::extension(FileUtil::baseName(filePath));
    return inner.startsWith(QLatin1String("part"), Qt::CaseInsensitive);
}

QString ArchiveRules::extractedFolderName(const ArchiveEntry &entry, const QString &archivePath) {
    if (!entry.isRoot())
        return entry.name();
    const QString base = FileUtil::baseName(archivePath);
    if (SevenZipVolumes::isPart(archivePath))
        return FileUtil::baseName(base);
    const QString inner = FileUtil::extension(base);
    const QString stem = FileUtil::baseName(base);
    if (stem.isEmpty() || inner.isEmpty())
        return base;
    const QLatin1String marker =
        FileKinds::isRar(archivePath) ? QLatin1String("part") : QLatin1String("tar");
    return inner.startsWith(marker, Qt::CaseInsensitive) ? stem : base;
}

QString ArchiveRules::zipFileName(const QString &itemPath) {
    return FileUtil::baseName(itemPath);
}
