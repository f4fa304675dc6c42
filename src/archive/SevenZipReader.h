#pragma once

#include "archive/ReaderBase.h"
#include "archive/sevenzip/LV_LZMAUtil.h"

// Reads 7z archives through the 7z layer: lists every entry, extracts the whole archive or
// selected files and folders. Encrypted content cannot be decoded and is reported as such.
class SevenZipReader : public ReaderBase {
public:
    using ReaderBase::ReaderBase;

    // Points the C records at this reader; 7z times are absolute, so there is no epoch.
    void initialize() override;
    void listEntries() override;
    void extract(const QString &destination) override;
    // A folder is extracted with all its files in one walk of the archive.
    void extract(ArchiveEntry *entry, const QString &destination) override;

    // Adds the listed entry to the tree; non-zero when the thread was cancelled.
    static int32_t listCallback(Archive7ZListParameter *parameter);
    // Reports a written chunk, or dates a finished file; non-zero when the thread was cancelled.
    static int32_t progressCallback(Archive7ZProgressParameter *parameter);

private:
    struct Selection {
        QList<LV_LZMAUtil::Target> targets;
        QList<QPair<QString, std::optional<QDateTime>>> folders;
    };

    // Gathers the files at and below the node, creating its folders on the way; false when the
    // thread was cancelled.
    bool extractNode(ArchiveEntry *node, const QString &destination, const QString &relativePath,
                     Selection &selection);
    void setDesFolder(const QString &destination);
    void recordResult(Archive7ZResult result);

    Archive7ZListParameter listParameter_;
    Archive7ZProgressParameter progressParameter_;
    QByteArray desFolder_;
};
