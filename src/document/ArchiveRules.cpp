#include "document/ArchiveRules.h"

#include "archive/ZipEntry.h"
#include "encoding/EncodingUtil.h"
#include "util/FileUtil.h"

#include "archive/Bz2Manager.h"
#include "archive/Y7ZArchive.h"
#include "archive/YGZipArchive.h"
#include "archive/YRarArchive.h"
#include "archive/YTarManager.h"
#include "archive/YZipArchive.h"

namespace {

// The one place that maps a kind of archive to its reader class.
std::unique_ptr<ArchiveBase> createReader(ArchiveKind kind, const QString &filePath,
                                          ZipEntry *rootEntry, IActionProgress *action,
                                          const QString &password, StringEncoding fileEncoding) {
    switch (kind) {
    case ArchiveKind::Zip:
        return ArchiveBase::create<YZipArchive>(filePath, rootEntry, action, password,
                                                fileEncoding);
    case ArchiveKind::Rar:
        return ArchiveBase::create<YRarArchive>(filePath, rootEntry, action, password,
                                                fileEncoding);
    case ArchiveKind::GZip:
        return ArchiveBase::create<YGZipArchive>(filePath, rootEntry, action, password,
                                                 fileEncoding);
    case ArchiveKind::Tar:
        return ArchiveBase::create<YTarManager>(filePath, rootEntry, action, password,
                                                fileEncoding);
    case ArchiveKind::BZip2:
        return ArchiveBase::create<Bz2Manager>(filePath, rootEntry, action, password, fileEncoding);
    case ArchiveKind::SevenZip:
        return ArchiveBase::create<Y7ZArchive>(filePath, rootEntry, action, password, fileEncoding);
    }
    return nullptr;
}

} // namespace

std::unique_ptr<ArchiveBase> ArchiveRules::archive(const QString &filePath, ZipEntry *rootEntry,
                                                   IActionProgress *action, const QString &password,
                                                   StringEncoding fileEncoding) {
    const auto kind = YSupportFile::archiveKind(filePath);
    if (!kind)
        return nullptr;
    return createReader(*kind, filePath, rootEntry, action, password, fileEncoding);
}

StringEncoding ArchiveRules::getCurrentFileEncoding(const QString &filePath) {
    return EncodingUtil::getCurrentFileEncoding(filePath);
}

bool ArchiveRules::isRarPart(const QString &filePath) {
    if (!YSupportFile::isRar(filePath))
        return false;
    const QString inner = FileUtil::getFileExtension(FileUtil::getFileNameNoExtension(filePath));
    return inner.startsWith(QLatin1String("part"), Qt::CaseInsensitive);
}

QString ArchiveRules::getZipEntryName(const ZipEntry &entry, const QString &archivePath) {
    if (!entry.isRootEntry())
        return entry.name();
    const QString base = FileUtil::getFileNameNoExtension(archivePath);
    const QString inner = FileUtil::getFileExtension(base);
    const QString stem = FileUtil::getFileNameNoExtension(base);
    if (stem.isEmpty() || inner.isEmpty())
        return base;
    const QLatin1String marker =
        YSupportFile::isRar(archivePath) ? QLatin1String("part") : QLatin1String("tar");
    return inner.startsWith(marker, Qt::CaseInsensitive) ? stem : base;
}

QString ArchiveRules::zipFileName(const QString &itemPath) {
    return FileUtil::getFileNameNoExtension(itemPath);
}
