#pragma once

#include "util/ScanOptions.h"
#include "zip/IZipBase.h"

#include <QString>
#include <QStringList>

#include <optional>

class ProgressReceiver;

// The format-independent frame of an archive writer: options, entry naming relative to a base
// folder, progress in bytes, cancellation, the last error, and the loop over the given items.
// An archive is reported good only when every item was written in full; otherwise the partial
// archive is removed and failure says why.
class ZipBase : public IZipBase {
public:
    // Written bytes are reported once more than this many have accumulated.
    static constexpr quint64 kProgressThreshold = 2048000;

    ZipBase(const QString &filePath, const std::optional<ScanOptions> &propertyOptions,
            ProgressReceiver *delegate);
    ZipBase(const ZipBase &) = delete;
    ZipBase &operator=(const ZipBase &) = delete;

    void setRelativeBase(const QString &relative) override { relativeBase_ = relative; }
    // The entry name of a path: the text after the first case-insensitive occurrence of the
    // base, without leading or trailing "/"; empty when the base does not occur.
    QString relativePath(const QString &path) const;
    // Completes the archive. True when every item was written in full; after an error or a
    // cancel the partial archive is removed and false is returned.
    virtual bool finish() = 0;

    QString filePath() const { return filePath_; }
    const std::optional<ScanOptions> &propertyOptions() const { return propertyOptions_; }
    ProgressReceiver *delegate() const { return delegate_; }
    QString relativeBase() const { return relativeBase_; }
    // The last error; none until one happens.
    std::optional<QString> failure() const { return failure_; }
    // Bytes written since the last progress report, carried from one file to the next.
    quint64 progressSize() const { return progressSize_; }
    bool isCancelled() const { return isCancelled_; }

protected:
    // Writes the items in order, each named relative to the base or, without a base, to its own
    // parent folder, then finishes the archive. Stops when the thread is cancelled.
    bool zipItems(const QStringList &paths, const std::optional<QString> &relative);
    // The checkpoint before every item and every buffer: true once the thread was cancelled.
    bool checkCancelled();
    bool hasFailed() const { return failure_.has_value(); }
    void setFailure(const QString &message) { failure_ = message; }
    // A localized message with the name in place of %1.
    static QString message(const char *key, const QString &name);
    void addProgress(quint64 bytes);

private:
    QString filePath_;
    std::optional<ScanOptions> propertyOptions_;
    ProgressReceiver *delegate_;
    QString relativeBase_;
    std::optional<QString> failure_;
    quint64 progressSize_ = 0;
    bool isCancelled_ = false;
};
