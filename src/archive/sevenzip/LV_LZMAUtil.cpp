#include "archive/sevenzip/LV_LZMAUtil.h"

#include <QDir>
#include <QFile>

#include <vector>

bool LV_LZMAUtil::listEntries(const QString &archivePath, Archive7ZListCallback func,
                              Archive7ZListParameter *parameter) {
    return Archive7ZList(QFile::encodeName(archivePath).constData(), func, parameter) ==
           kArchive7ZSuccess;
}

Archive7ZResult LV_LZMAUtil::extract7zArchive(const QString &archivePath, const QString &folder,
                                              Archive7ZProgressCallback func,
                                              Archive7ZProgressParameter *parameter) {
    return extract(archivePath, folder, func, std::nullopt, parameter);
}

Archive7ZResult LV_LZMAUtil::extract7zArchive(const QString &archivePath, const QString &folder,
                                              Archive7ZProgressCallback func,
                                              const QList<Target> &targets,
                                              Archive7ZProgressParameter *parameter) {
    return extract(archivePath, folder, func, targets, parameter);
}

Archive7ZResult LV_LZMAUtil::extract(const QString &archivePath, const QString &folder,
                                     Archive7ZProgressCallback func,
                                     const std::optional<QList<Target>> &targets,
                                     Archive7ZProgressParameter *parameter) {
    if (archivePath.isEmpty() || folder.isEmpty())
        return kArchive7ZFailure;
    QDir().mkpath(folder);
    const QByteArray nativeArchive = QFile::encodeName(archivePath);
    if (!targets)
        return Archive7ZExtract(nativeArchive.constData(), nullptr, 0, func, parameter);
    if (targets->isEmpty())
        return kArchive7ZSuccess;
    // The C records point into these buffers for the length of the call.
    QList<QByteArray> paths;
    std::vector<Archive7ZItem> items;
    for (const Target &target : *targets)
        paths.append(target.fullPath.toUtf8());
    for (qsizetype i = 0; i < targets->size(); ++i)
        items.push_back({targets->at(i).index, paths.at(i).constData()});
    return Archive7ZExtract(nativeArchive.constData(), items.data(), items.size(), func, parameter);
}
