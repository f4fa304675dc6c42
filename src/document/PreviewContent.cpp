#include "document/PreviewContent.h"

#include "archive/IFileEntry.h"
#include "encoding/EncodingUtil.h"
#include "util/Cancellation.h"
#include "util/FileUtil.h"
#include "util/YSupportFile.h"

const QString PreviewContent::kTextPlainViewNotification =
    QStringLiteral("TextPlainViewNotification");

bool PreviewContent::isTextFile(const QString &path, quint64 size) {
    if (YSupportFile::textExtension().contains(FileUtil::getFileExtension(path).toLower()))
        return true;
    // An empty file tells nothing about its type.
    if (size == 0)
        return false;
    const std::optional<QString> mime = FileUtil::getMimeType(path);
    return mime && mime->compare(QLatin1String("text/plain"), Qt::CaseInsensitive) == 0;
}

bool PreviewContent::isCanView(const QString &path) {
    const quint64 size = FileUtil::getFileSize(path);
    return size <= kTextSizeLimit && isTextFile(path, size);
}

bool PreviewContent::isImagePreview(const QString &path) {
    return FileUtil::getFileSize(path) <= kPictureSizeLimit && YSupportFile::isSystemPreview(path);
}

bool PreviewContent::isCanPreview(const IFileEntry &item) {
    // The name is looked at, never a file of that name that may lie in the working folder.
    if (item.size() < kEntryPreviewLimit && isTextFile(item.name(), 0))
        return true;
    // A picture too large to be shown is not worth extracting either.
    return item.size() <= kPictureSizeLimit && YSupportFile::isSystemPreview(item.name());
}

std::optional<PreviewContent> PreviewContent::forFile(const IFileEntry &item,
                                                      const std::optional<QString> &path) {
    PreviewContent content;
    if (!path || path->isEmpty())
        return content;
    if (item.name() != FileUtil::getFileName(*path) || FileUtil::getFileSize(*path) != item.size())
        return std::nullopt;
    content.path = *path;
    if (isCanView(*path)) {
        const std::optional<QString> text = EncodingUtil::getFileContent(*path);
        if (isCurrentThreadCancelled())
            return std::nullopt;
        content.kind = Kind::Text;
        content.text = text.value_or(QStringLiteral(""));
    } else if (isImagePreview(*path)) {
        content.kind = Kind::Picture;
    }
    return content;
}
