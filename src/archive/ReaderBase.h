#pragma once

#include "archive/ArchiveError.h"
#include "archive/ArchiveReader.h"
#include "archive/ExtractionOutput.h"
#include "encoding/NameEncodingDetector.h"
#include "util/ProgressThrottle.h"

#include <QByteArrayList>
#include <QDateTime>
#include <QMutex>

#include <memory>
#include <optional>

// What every reader shares: its fields, the error domain, the ignore rule, temporary folders,
// dates, progress counting, and the detection and decoding of entry names.
class ReaderBase : public ArchiveReader {
public:
    // Readers report written bytes once more than this many have accumulated.
    static constexpr quint64 kProgressThreshold = 4048000;

    // Makes a reader and runs its initialize hook once it is fully constructed.
    template <class Reader, class... Args> static std::unique_ptr<Reader> create(Args &&...args) {
        auto reader = std::make_unique<Reader>(std::forward<Args>(args)...);
        reader->initialize();
        return reader;
    }

    ReaderBase(const QString &filePath, ArchiveEntry *rootEntry, ProgressReceiver *action,
               const QString &password, StringEncoding fileEncoding = kAutomaticEncoding);
    ~ReaderBase() override;

    // ArchiveReader: the base reads nothing; readers override what they support.
    void setPassword(const QString &password) override { password_ = password; }
    void listEntries() override {}
    void extract(const QString &destination) override { Q_UNUSED(destination); }
    void extract(ArchiveEntry *entry, const QString &destination) override;
    bool isEncrypted() override { return false; }
    void setFileEncoding(StringEncoding encoding) override { fileEncoding_ = encoding; }
    std::optional<Error> archiveError() const override { return error_; }
    ArchiveWarnings warnings() const override { return warnings_; }
    bool hasEncryptedNames() const override { return hasEncryptedNames_; }
    bool reportsListingProgress() const override { return false; }
    void setRestoresDates(bool value) override { restoresDates_ = value; }
    void setProgressReceiver(ProgressReceiver *delegate) override { progressReceiver_ = delegate; }

    // Sets the epoch that dateFromSeconds counts from; readers override.
    virtual void initialize();
    // Feeds the collected names to detection; readers that detect override.
    virtual void detectNameEncoding() {}

    // Entries never listed nor extracted: .DS_Store, Thumbs.db and anything under __MACOSX/.
    static bool isIgnored(const QString &path);
    static QDateTime dosEpoch();
    static QDateTime unixEpoch();

    QString filePath() const { return filePath_; }
    QString password() const { return password_; }
    ArchiveEntry *rootEntry() const { return rootEntry_; }
    QString encodingName() const { return encodingName_; }
    StringEncoding encoding() const { return encoding_; }
    StringEncoding fileEncoding() const { return fileEncoding_; }
    std::optional<QDateTime> epoch() const { return epoch_; }
    bool restoresDates() const { return restoresDates_; }
    ProgressReceiver *progressReceiver() const { return progressReceiver_; }

    // None for 0 seconds or when the reader has no epoch; else the epoch plus the seconds.
    std::optional<QDateTime> dateFromSeconds(qint64 seconds) const;
    // Keeps a name for detection; false once detection holds enough names, the first mebibyte.
    bool collectName(const char *bytes, qsizetype length);
    // Detects the name encoding once from the collected names, then releases them. The host
    // system the names were written on lets DOS and Windows code pages be recognised.
    void detectCollectedNames(NameHostSystem host = NameHostSystem::Other);
    // One name: the chosen encoding, else the detected one, else detection of the name alone.
    std::optional<QString> decodeName(const char *bytes, qsizetype length) const;

protected:
    // Link targets longer than a path can be are damaged data, not links.
    static constexpr qsizetype kLinkTargetLimit = 4096;

    void errorFailedOpenFile();
    void errorFailedOpenFirstFile();
    void errorParameter();
    void errorArchive();
    void errorFailedToCreateFile(const QString &name);
    // A file, folder or link could not be written: one whose name the file system cannot hold is
    // left out with a warning and the extraction goes on; any other failure is its error.
    void writeFailed(const Error &error, const QString &name);
    void setCancelled();
    void clearError() {
        error_.reset();
        warnings_.clear();
    }
    void addWarning(ArchiveWarning::Kind kind, const QString &name) {
        warnings_.append({kind, name});
    }
    // The one writer every file, folder and link of this reader's extractions goes through.
    ExtractionOutput &output() { return output_; }
    // Makes a link through the output; one leading outside the destination becomes a warning
    // naming the entry, one that cannot be made a failure to create the file.
    void createLink(const QString &destination, const QString &fullPath, const QString &target,
                    const std::optional<QDateTime> &date);
    // An error of the domain with a message of the reader's own.
    void setError(const Error &error) { error_ = error; }
    void setEpoch(const std::optional<QDateTime> &date) { epoch_ = date; }
    // Takes over the name encoding another reader of the same archive detected.
    void copyNameEncoding(const ReaderBase &other);
    void setHasEncryptedNames(bool value) { hasEncryptedNames_ = value; }

    // Counts written bytes and reports them once the count passes the threshold.
    void addProgress(quint64 bytes);
    // Forgets bytes counted but not yet reported, at the start of an operation.
    void resetProgressSize() { progress_.reset(); }

    // Held around closing a library handle, so two closes never release it twice.
    QMutex closeLock_;
    // Cached answer of isEncrypted.
    bool containsPassword_ = false;
    bool passwordChecked_ = false;

private:
    std::optional<Error> error_;
    ArchiveWarnings warnings_;
    ExtractionOutput output_;
    ArchiveEntry *rootEntry_;
    QString password_;
    QString filePath_;
    // One element per collected name.
    std::optional<QByteArrayList> encodingData_ = QByteArrayList();
    qsizetype collectedBytes_ = 0;
    QString encodingName_ = QStringLiteral("utf-8");
    std::optional<QDateTime> epoch_;
    StringEncoding encoding_;
    StringEncoding fileEncoding_;
    bool hasEncryptedNames_ = false;
    ProgressReceiver *progressReceiver_ = nullptr;
    ProgressThrottle progress_{kProgressThreshold};
    bool restoresDates_ = true;
};

namespace ReaderPaths {
// The path relative to the base (the path itself when the base is empty).
QString relativeTo(const QString &base, const QString &path);
} // namespace ReaderPaths
