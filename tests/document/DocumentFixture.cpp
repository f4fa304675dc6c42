#include "DocumentFixture.h"

#include "util/FileAttributes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

void DocumentTest::shell(const QString &command) const {
    ASSERT_EQ(runShellIn(dir_.path(), command), 0) << qPrintable(command);
}

void DocumentTest::makeZip(const QString &name,
                           const QList<std::pair<QString, QByteArray>> &entries,
                           const QString &options) {
    if (entries.isEmpty()) {
        // The zip tool makes no archive without entries: the end record alone is one.
        ASSERT_FALSE(
            dir_.write(name, QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')).isEmpty());
        return;
    }
    QDir().mkpath(QFileInfo(dir_.file(name)).absolutePath());
    for (const auto &[entryName, contents] : entries)
        ASSERT_FALSE(dir_.write("zip-source/" + entryName, contents).isEmpty());
    shell(QStringLiteral("cd zip-source && zip -qr %1 '../%2' . && cd .. && rm -r zip-source")
              .arg(options, name));
}

void DocumentTest::open(const QString &name) {
    document_.open(dir_.file(name));
    settle();
}

QStringList DocumentTest::topEntries() const {
    QStringList names;
    if (const ArchiveEntry *root = document_.rootEntry()) {
        for (const auto &child : root->children())
            names.append(child->name());
    }
    names.sort();
    return names;
}

QStringList DocumentTest::zipNames(const QString &name) const {
    QStringList names = runTool(QStringLiteral("unzip"), {QStringLiteral("-Z1"), dir_.file(name)})
                            .output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    names.sort();
    return names;
}

void RecordingPane::viewFile(const std::optional<QString> &path) {
    QByteArray contents;
    if (QFile file(path.value_or(QString())); path && file.open(QIODevice::ReadOnly))
        contents = file.readAll();
    deliveries.append({path, contents});
}

namespace {

// Sets or clears the immutable attribute in this process: a shell (chattr) started while the
// engine's threads run is a fork ThreadSanitizer refuses.
bool setImmutable(const QByteArray &path, bool immutable) {
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString &path) {
    const QByteArray native = QFile::encodeName(path);
    const char *folder = native.constData();
    if (::geteuid() != 0) {
        if (::chmod(folder, 0555) == 0)
            unlock_ = [native] {
                ::chmod(native.constData(), 0755);
            };
    } else if (setImmutable(native, true)) {
        unlock_ = [native] {
            setImmutable(native, false);
        };
    } else if (::mount(folder, folder, nullptr, MS_BIND, nullptr) == 0) {
        unlock_ = [native] {
            ::umount2(native.constData(), MNT_DETACH);
        };
        ::mount(nullptr, folder, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
    }
    locked_ = unlock_ && !FileAttributes::isWritable(path);
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (unlock_)
        unlock_();
}
