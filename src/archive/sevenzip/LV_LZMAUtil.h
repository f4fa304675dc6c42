#pragma once

#include "archive/sevenzip/Archive7Z.h"

#include <QList>
#include <QString>

#include <optional>

// The 7z layer as the reader calls it: paths as strings, the walk in the C layer.
class LV_LZMAUtil {
public:
    LV_LZMAUtil() = delete;

    // A selected entry (its index from the listing) and the full path to write it to.
    struct Target {
        quint64 index = 0;
        QString fullPath;
    };

    // Reports every entry to the callback; false when the archive could not be read.
    static bool listEntries(const QString &archivePath, Archive7ZListCallback func,
                            Archive7ZListParameter *parameter);
    // Extracts the whole archive into the folder, which is created when missing.
    static Archive7ZResult extract7zArchive(const QString &archivePath, const QString &folder,
                                            Archive7ZProgressCallback func,
                                            Archive7ZProgressParameter *parameter);
    // Extracts the selected entries in one walk of the archive.
    static Archive7ZResult extract7zArchive(const QString &archivePath, const QString &folder,
                                            Archive7ZProgressCallback func,
                                            const QList<Target> &targets,
                                            Archive7ZProgressParameter *parameter);

private:
    static Archive7ZResult extract(const QString &archivePath, const QString &folder,
                                   Archive7ZProgressCallback func,
                                   const std::optional<QList<Target>> &targets,
                                   Archive7ZProgressParameter *parameter);
};
