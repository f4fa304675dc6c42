#include "zip/ZipBase.h"

#include "util/Cancellation.h"
#include "util/FileUtil.h"
#include "util/IActionProgress.h"
#include "util/Localization.h"
#include "util/StringUtil.h"

#include <QDir>
#include <QFileInfo>

ZipBase::ZipBase(const QString &filePath, const std::optional<FilePropertyOptions> &propertyOptions,
                 IActionProgress *delegate)
    : filePath_(filePath)
    , propertyOptions_(propertyOptions)
    , delegate_(delegate) {
}

QString ZipBase::getRelativePath(const QString &path) const {
    const QString rest =
        StringUtil::subString(path, relative_const_, StringUtil::CaseInsensitiveSearch);
    return CommononExtention::trim(rest, QStringLiteral("/"));
}

bool ZipBase::zipItems(const QStringList &paths, const std::optional<QString> &relative) {
    for (const QString &item : paths) {
        if (checkCancelled())
            break;
        // A clean absolute path keeps "." and ".." out of the entry names.
        const QString path = QDir::cleanPath(QFileInfo(item).absoluteFilePath());
        setRelative_const(relative.value_or(FileUtil::getFileDirectory(path)));
        zip(path);
    }
    return finish();
}

bool ZipBase::checkCancelled() {
    if (!isCancelled_ && isCurrentThreadCancelled()) {
        isCancelled_ = true;
        setZipMsg(BasicLocalizedString("The operation is canceled"));
    }
    return isCancelled_;
}

QString ZipBase::message(const char *key, const QString &name) {
    return BasicLocalizedString(key).arg(name);
}

void ZipBase::addProgress(quint64 bytes) {
    progressSize_ += bytes;
    if (progressSize_ > kProgressThreshold) {
        if (delegate_)
            delegate_->progressFinished(progressSize_);
        progressSize_ = 0;
    }
}
