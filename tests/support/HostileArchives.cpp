#include "support/HostileArchives.h"

#include "support/TestDirs.h"

#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <sys/mount.h>

namespace HostileArchives {

namespace {

QString quoted(const QString &text) {
    QString inner = text;
    inner.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

QString packCommand(const QString &format, const QString &archive) {
    if (format == QLatin1String("zip"))
        return QStringLiteral("zip -qry %1 .").arg(archive);
    if (format == QLatin1String("7z"))
        return QStringLiteral("7zz a -bso0 -bsp0 %1 .").arg(archive);
    if (format == QLatin1String("rar"))
        return QStringLiteral("rar a -idq -r %1 .").arg(archive);
    if (format == QLatin1String("tar"))
        return QStringLiteral("tar -cf %1 .").arg(archive);
    if (format == QLatin1String("tgz"))
        return QStringLiteral("tar -czf %1 .").arg(archive);
    if (format == QLatin1String("gz"))
        return QStringLiteral("gzip -c data.bin > %1").arg(archive);
    if (format == QLatin1String("bz2"))
        return QStringLiteral("bzip2 -c data.bin > %1").arg(archive);
    return QString();
}

} // namespace

QStringList formats() {
    return {QStringLiteral("zip"), QStringLiteral("7z"),  QStringLiteral("rar"),
            QStringLiteral("tar"), QStringLiteral("tgz"), QStringLiteral("gz"),
            QStringLiteral("bz2")};
}

QString makeArchive(const QString &sourceFolder, const QString &archivePath) {
    const QString command = packCommand(QFileInfo(archivePath).suffix(), quoted(archivePath));
    if (command.isEmpty() ||
        runShell(QStringLiteral("cd %1 && %2").arg(quoted(sourceFolder), command)) != 0)
        return QString();
    return archivePath;
}

bool checksData(const QString &format) {
    return format != QLatin1String("tar");
}

QByteArray truncated(const QByteArray &bytes, qsizetype keep) {
    return bytes.left(keep);
}

QByteArray flipped(const QByteArray &bytes, qsizetype at, qsizetype length) {
    QByteArray damaged = bytes;
    for (qsizetype i = at; i < qMin(at + length, damaged.size()); ++i)
        damaged[i] = char(~damaged[i]);
    return damaged;
}

QString makeZeros(const QString &archivePath, qint64 size) {
    const QString format = QFileInfo(archivePath).suffix();
    const QString script = QStringLiteral(R"(
import bz2, gzip, os, subprocess, sys, tarfile, tempfile, zipfile
path, size, fmt = sys.argv[1], int(sys.argv[2]), sys.argv[3]
chunk = bytes(1 << 20)
def fill(out):
    left = size
    while left > 0:
        out.write(chunk[:min(left, len(chunk))])
        left -= len(chunk)
if fmt == 'zip':
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z, z.open('zeros.bin', 'w') as out:
        fill(out)
elif fmt in ('tar', 'tgz', '7z'):
    with tempfile.TemporaryDirectory() as folder:
        plain = os.path.join(folder, 'zeros.bin')
        with open(plain, 'wb') as out:
            fill(out)
        if fmt == '7z':
            subprocess.run(['7zz', 'a', '-bd', '-bso0', path, plain], check=True)
        else:
            with tarfile.open(path, 'w:gz' if fmt == 'tgz' else 'w') as t:
                t.add(plain, 'zeros.bin')
elif fmt == 'gz':
    with gzip.open(path, 'wb', compresslevel=1) as out:
        fill(out)
else:
    with bz2.open(path, 'wb', compresslevel=1) as out:
        fill(out)
)");
    const QString command =
        QStringLiteral("/usr/bin/python3 -c %1 %2 %3 %4")
            .arg(quoted(script), quoted(archivePath), QString::number(size), format);
    return runShell(command) == 0 ? archivePath : QString();
}

bool claimZipSize(const QString &archivePath, quint64 size) {
    const QString script = QStringLiteral(R"(
import struct, sys
path, size = sys.argv[1], int(sys.argv[2])
data = bytearray(open(path, 'rb').read())
for signature, offset in ((b'PK\x03\x04', 22), (b'PK\x01\x02', 24)):
    at = data.find(signature)
    while at >= 0:
        struct.pack_into('<I', data, at + offset, size & 0xFFFFFFFF)
        at = data.find(signature, at + 4)
open(path, 'wb').write(data)
)");
    return runShell(QStringLiteral("/usr/bin/python3 -c %1 %2 %3")
                        .arg(quoted(script), quoted(archivePath), QString::number(size))) == 0;
}

} // namespace HostileArchives

FileSizeLimit::FileSizeLimit(qint64 bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{rlim_t(bytes), saved_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
}

SmallTmpfs::SmallTmpfs(const QString &folder, qint64 bytes)
    : folder_(folder) {
    const QByteArray options = "size=" + QByteArray::number(bytes);
    mounted_ = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                       options.constData()) == 0;
}

SmallTmpfs::~SmallTmpfs() {
    if (mounted_)
        ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
}
