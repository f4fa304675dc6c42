#include "zip/ZipBase.h"

#include "util/Cancellation.h"
#include "util/Localization.h"
#include "util/PathUtil.h"
#include "util/ProgressReceiver.h"
#include "util/StringUtil.h"

#include <QDir>
#include <QFileInfo>

ZipBase::ZipBase(const QString &filePath, const std::optional<ScanOptions> &propertyOptions,
                 ProgressReceiver *delegate)
    : filePath_(filePath)
    , propertyOptions_(propertyOptions)
    , delegate_(delegate) {
}

QString ZipBase::relativePath(const QString &path) const {
    const QString rest = StringUtil::textAfter(path, relativeBase_, Qt::CaseInsensitive);
    return StringUtil::trim(rest, QStringLiteral("/"));
}

bool ZipBase::zipItems(const QStringList &paths, const std::optional<QString> &relative) {
    for (const QString &item : paths) {
        if (checkCancelled())
            break;
        // A clean absolute path keeps "." and ".." out of the entry names.
        const QString path = QDir::cleanPath(QFileInfo(item).absoluteFilePath());
        setRelativeBase(relative.value_or(PathUtil::parentFolder(path)));
        zip(path);
    }
    return finish();
}

bool ZipBase::checkCancelled() {
    if (!isCancelled_ && isCurrentThreadCancelled()) {
        isCancelled_ = true;
        setFailure(engineText("The operation is canceled"));
    }
    return isCancelled_;
}

QString ZipBase::message(const char *key, const QString &name) {
    return engineText(key).arg(name);
}

void ZipBase::addProgress(quint64 bytes) {
    progressSize_ += bytes;
    if (progressSize_ > kProgressThreshold) {
        if (delegate_)
            delegate_->addDone(progressSize_);
        progressSize_ = 0;
    }
}
