#include "util/TempFolders.h"

#include "util/AppIdentity.h"
#include "util/FileOps.h"
#include "util/StringUtil.h"

#include <QDir>

namespace TempFolders {

QString root() {
    return QDir(QDir::tempPath()).filePath(AppIdentity::bundleId());
}

QString newItemFolder() {
    QString folder = root() + QLatin1Char('/') + StringUtil::newUuid();
    FileOps::createFolder(folder);
    return folder;
}

} // namespace TempFolders
