#include "archive/SpannedFiles.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

SpannedFiles::SpannedFiles(const QStringList &paths) {
    for (const QString &path : paths) {
        const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        struct stat status {};
        if (descriptor < 0 || ::fstat(descriptor, &status) != 0) {
            if (descriptor >= 0)
                ::close(descriptor);
            open_ = false;
            return;
        }
        parts_.push_back({descriptor, quint64(status.st_size)});
    }
}

SpannedFiles::~SpannedFiles() {
    for (const Part &part : parts_)
        ::close(part.descriptor);
}

bool SpannedFiles::read(quint64 offset, char *buffer, quint64 size) const {
    if (!open_)
        return false;
    for (const Part &part : parts_) {
        if (size == 0)
            break;
        if (offset >= part.size) {
            offset -= part.size;
            continue;
        }
        const quint64 wanted = qMin(size, part.size - offset);
        for (quint64 done = 0; done < wanted;) {
            const ssize_t got =
                ::pread(part.descriptor, buffer + done, wanted - done, off_t(offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            done += quint64(got);
        }
        buffer += wanted;
        size -= wanted;
        offset = 0;
    }
    return size == 0;
}

QByteArray SpannedFiles::read(quint64 offset, quint64 size) const {
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    return read(offset, bytes.data(), size) ? bytes : QByteArray();
}
