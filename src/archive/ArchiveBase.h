#pragma once

#include "archive/ArchiveError.h"
#include "archive/IArchive.h"
#include "encoding/NameEncodingDetector.h"

#include <QByteArrayList>
#include <QDateTime>
#include <QMutex>

#include <memory>
#include <optional>

// What every reader shares: its fields, the error domain, the ignore rule, temporary folders,
// dates, progress counting, and the detection and decoding of entry names.
class ArchiveBase : public IArchive {
public:
    // Readers report written bytes once more than this many have accumulated.
    static constexpr quint64 kProgressThreshold = 4048000;

    // Makes a reader and runs its initParameter hook once it is fully constructed.
    template <class Reader, class... Args> static std::unique_ptr<Reader> create(Args &&...args) {
        auto reader = std::make_unique<Reader>(std::forward<Args>(args)...);
        reader->initParameter();
        return reader;
    }

    ArchiveBase(const QString &filePath, ZipEntry *rootEntry, IActionProgress *action,
                const QString &password, StringEncoding fileEncoding = kAutomaticEncoding);
    ~ArchiveBase() override;

    // IArchive: the base reads nothing; readers override what they support.
    void setPassword(const QString &password) override { password_ = password; }
    void listFiles() override {}
    void unArchivePath(const QString &destination) override { Q_UNUSED(destination); }
    void unArchivePath(ZipEntry *entry, const QString &destination) override;
    bool isEncrypted() override { return false; }
    void setFileEncoding(StringEncoding encoding) override { fileEncoding_ = encoding; }
    std::optional<Error> archiveError() const override { return error_; }
    bool isEncryptedFileName() const override { return isEncryptedFileName_; }
    bool isProgressListFiles() const override { return false; }
    void setIsArchiveFileTime(bool value) override { isArchiveFileTime_ = value; }
    void setActionDelegate(IActionProgress *delegate) override { actionDelegate_ = delegate; }

    // Sets the epoch that getDateWithInterval counts from; readers override.
    virtual void initParameter();
    // Feeds the collected names to detection; readers that detect override.
    virtual void detectorEncoding() {}

    // Entries never listed nor extracted: .DS_Store, Thumbs.db and anything under __MACOSX/.
    static bool isIgnore(const QString &path);
    static QString tempRootDirectory();
    // A new, created folder under the temporary root named by a fresh UUID.
    static QString tempItemDirectory();
    static QDateTime dateFor1980();
    static QDateTime dateFor1970();

    QString filePath() const { return filePath_; }
    QString password() const { return password_; }
    ZipEntry *rootEntry() const { return rootEntry_; }
    QString encodingName() const { return encodingName_; }
    StringEncoding encoding() const { return encoding_; }
    StringEncoding fileEncoding() const { return fileEncoding_; }
    std::optional<QDateTime> relativeDate() const { return relativeDate_; }
    bool isArchiveFileTime() const { return isArchiveFileTime_; }
    IActionProgress *actionDelegate() const { return actionDelegate_; }

    // None for 0 seconds or when the reader has no epoch; else the epoch plus the seconds.
    std::optional<QDateTime> getDateWithInterval(qint64 seconds) const;
    void appendDataToEncodingData(const char *bytes, qsizetype length);
    // Detects the name encoding once from the collected names, then releases them. The host
    // system the names were written on lets DOS and Windows code pages be recognised.
    void convertDetectorEncoding(NameHostSystem host = NameHostSystem::Other);
    // One name: the chosen encoding, else the detected one, else detection of the name alone.
    std::optional<QString> charToNSString(const char *bytes, qsizetype length) const;

protected:
    void errorFailedOpenFile();
    void errorFailedOpenFirstFile();
    void errorParameter();
    void errorArchive();
    void errorFailedToCreateFile(const QString &name);
    void errorCancelOpertion();
    void clearError() { error_.reset(); }
    // An error of the domain with a message of the reader's own.
    void setError(const Error &error) { error_ = error; }
    void setRelativeDate(const std::optional<QDateTime> &date) { relativeDate_ = date; }
    void setIsEncryptedFileName(bool value) { isEncryptedFileName_ = value; }

    // Counts written bytes and reports them once the count passes the threshold.
    void addProgress(quint64 bytes);
    // Forgets bytes counted but not yet reported, at the start of an operation.
    void resetProgressSize() { progressSize_ = 0; }

    // Held around closing a library handle, so two closes never release it twice.
    QMutex closeLock;
    // Cached answer of isEncrypted.
    bool isContainsPassword = false;
    bool isCheckContainsPassword = false;

private:
    std::optional<Error> error_;
    ZipEntry *rootEntry_;
    QString password_;
    QString filePath_;
    // One element per collected name.
    std::optional<QByteArrayList> encodingData_ = QByteArrayList();
    QString encodingName_ = QStringLiteral("utf-8");
    std::optional<QDateTime> relativeDate_;
    StringEncoding encoding_;
    StringEncoding fileEncoding_;
    bool isEncryptedFileName_ = false;
    IActionProgress *actionDelegate_ = nullptr;
    quint64 progressSize_ = 0;
    bool isArchiveFileTime_ = true;
};

namespace ArchiveUtils {
// The path relative to the base (the path itself when the base is empty).
QString getTempRelative(const QString &base, const QString &path);
} // namespace ArchiveUtils
