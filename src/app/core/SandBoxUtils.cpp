#include "app/core/SandBoxUtils.h"

#include "util/PathUtil.h"
#include "util/SettingsKeys.h"
#include "util/UserDefaults.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QVariantMap>

#include <sys/stat.h>

namespace {

constexpr quint32 kBookmarkMagic = 0x4b424d31; // "KBM1"

struct Identity {
    quint64 device = 0;
    quint64 inode = 0;
};

std::optional<Identity> identityOf(const QString &path) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return Identity{quint64(st.st_dev), quint64(st.st_ino)};
}

QVariantMap storedGrants() {
    return UserDefaults::open()->value(QLatin1String(SettingsKeys::kSandBoxBookMarkURLS)).toMap();
}

} // namespace

bool SandBoxUtils::isInSandBox() {
    return qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID");
}

std::optional<QByteArray> SandBoxUtils::bookmarkForURL(const QString &path) {
    const auto identity = identityOf(path);
    if (path.isEmpty() || !identity)
        return std::nullopt;
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out << kBookmarkMagic << path << identity->device << identity->inode;
    return data;
}

std::optional<QString> SandBoxUtils::urlForBookmark(const QByteArray &bookmark) {
    QDataStream in(bookmark);
    quint32 magic = 0;
    QString path;
    Identity recorded;
    in >> magic >> path >> recorded.device >> recorded.inode;
    if (in.status() != QDataStream::Ok || magic != kBookmarkMagic)
        return std::nullopt;
    const auto current = identityOf(path);
    if (!current || current->device != recorded.device || current->inode != recorded.inode)
        return std::nullopt;
    return path;
}

std::optional<QByteArray> SandBoxUtils::saveBookMarkURL(const QString &folder) {
    QVariantMap grants = storedGrants();
    if (grants.contains(folder))
        return std::nullopt;
    const auto bookmark = bookmarkForURL(folder);
    if (!bookmark)
        return std::nullopt;
    for (auto it = grants.begin(); it != grants.end(); ++it) {
        if (PathUtil::isInside(it.key(), folder)) {
            grants.erase(it);
            break;
        }
    }
    grants.insert(folder, *bookmark);
    UserDefaults::open()->setValue(QLatin1String(SettingsKeys::kSandBoxBookMarkURLS), grants);
    UserDefaults::reset();
    return bookmark;
}

std::optional<QString> SandBoxUtils::getBookMarkURL(const QString &path, bool isCreate) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QString resolved = canonical.isEmpty() ? path : canonical;
    const QVariantMap grants = storedGrants();
    for (auto it = grants.cbegin(); it != grants.cend(); ++it) {
        if (!PathUtil::isInside(resolved, it.key()))
            continue;
        if (auto url = urlForBookmark(it.value().toByteArray()))
            return url;
    }
    if (!isCreate)
        return std::nullopt;
    const auto saved = saveBookMarkURL(path);
    if (!saved)
        return std::nullopt;
    return urlForBookmark(*saved);
}
