#pragma once

#include <QString>
#include <QStringList>

// The files one 7z archive is read from: the file itself or, for a set that 7-Zip split into
// "name.7z.001", "name.7z.002", ..., every part in order. Any part stands for the whole set.
class SevenZipVolumes {
public:
    explicit SevenZipVolumes(const QString &path);

    // A name of 7-Zip's volume scheme: ends in ".7z." and a number of three digits or more.
    static bool isPart(const QString &path);

    // The files in order; all of them exist unless missingPart names one.
    const QStringList &files() const { return files_; }
    // The file name of the first part the set lacks, or empty when the set is whole: its parts
    // are numbered without a gap up to a short one or to the length the first part's header
    // records.
    const QString &missingPart() const { return missingPart_; }
    // Whether the files are shorter than the first part's header records: a damaged archive,
    // whose header must not be trusted for sizes.
    bool isTruncated() const { return truncated_; }

private:
    QStringList files_;
    QString missingPart_;
    bool truncated_ = false;
};
