#include "document/PreviewContent.h"

#include "archive/IFileEntry.h"
#include "encoding/EncodingUtil.h"
#include "settings/RememberedEncodings.h"
#include "util/Cancellation.h"
#include "util/FileAttributes.h"
#include "util/FileKinds.h"
#include "util/PathUtil.h"

bool PreviewContent::isTextFile(const QString &path, quint64 size) {
    if (FileKinds::isText(path))
        return true;
    // An empty file tells nothing about its type.
    if (size == 0)
        return false;
    const std::optional<QString> mime = FileAttributes::mimeType(path);
    return mime && mime->compare(QLatin1String("text/plain"), Qt::CaseInsensitive) == 0;
}

bool PreviewContent::canView(const QString &path) {
    const quint64 size = FileAttributes::fileSize(path);
    return size <= kTextSizeLimit && isTextFile(path, size);
}

bool PreviewContent::isPicturePreview(const QString &path) {
    return FileAttributes::fileSize(path) <= kPictureSizeLimit && FileKinds::isPicture(path);
}

bool PreviewContent::canPreview(const IFileEntry &item) {
    // The name is looked at, never a file of that name that may lie in the working folder.
    if (item.size() < kEntryPreviewLimit && isTextFile(item.name(), 0))
        return true;
    // A picture too large to be shown is not worth extracting either.
    return item.size() <= kPictureSizeLimit && FileKinds::isPicture(item.name());
}

std::optional<PreviewContent> PreviewContent::forFile(const IFileEntry &item,
                                                      const std::optional<QString> &path) {
    PreviewContent content;
    if (!path || path->isEmpty())
        return content;
    if (item.name() != PathUtil::fileName(*path) || FileAttributes::fileSize(*path) != item.size())
        return std::nullopt;
    content.path = *path;
    if (canView(*path)) {
        const std::optional<QString> text =
            EncodingUtil::readText(*path, RememberedEncodings::encodingFor(*path));
        if (isCurrentThreadCancelled())
            return std::nullopt;
        content.kind = Kind::Text;
        content.text = text.value_or(QStringLiteral(""));
    } else if (isPicturePreview(*path)) {
        content.kind = Kind::Picture;
    }
    return content;
}
