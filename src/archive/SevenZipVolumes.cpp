#include "archive/SevenZipVolumes.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QtEndian>

namespace {

const QRegularExpression &partPattern() {
    static const QRegularExpression pattern(QStringLiteral("^(.*\\.7z)\\.(\\d{3,})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// The length of the whole archive as the signature header at the start of the first part
// records it (the packed streams and the header after them), or 0 when there is no such header.
qint64 recordedLength(const QString &firstPart) {
    constexpr qsizetype kHeaderSize = 32;
    static const QByteArray signature("7z\xBC\xAF\x27\x1C", 6);
    QFile file(firstPart);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray header = file.read(kHeaderSize);
    if (header.size() < kHeaderSize || !header.startsWith(signature))
        return 0;
    const auto offset = qFromLittleEndian<quint64>(header.constData() + 12);
    const auto size = qFromLittleEndian<quint64>(header.constData() + 20);
    // Values no disk holds are damage for the reader to report, not a missing part.
    constexpr quint64 kLimit = quint64(1) << 56;
    if (offset > kLimit || size > kLimit)
        return 0;
    return qint64(kHeaderSize + offset + size);
}

} // namespace

SevenZipVolumes::SevenZipVolumes(const QString &path) {
    const QRegularExpressionMatch match = partPattern().match(path);
    if (!match.hasMatch()) {
        files_ = {path};
        return;
    }
    const QString stem = match.captured(1);
    const qint64 opened = match.captured(2).toLongLong();
    qint64 length = 0;
    QList<qint64> sizes;
    for (qint64 number = 1;; ++number) {
        const QString part =
            stem + QLatin1Char('.') + QString::number(number).rightJustified(3, QLatin1Char('0'));
        const QFileInfo info(part);
        if (info.isFile()) {
            files_.append(part);
            sizes.append(info.size());
            length += info.size();
            continue;
        }
        // 7-Zip makes every part but the last as long as the first: a short last part ends the
        // set, and an archive still shorter than recorded is damaged rather than incomplete.
        if (number <= opened || files_.isEmpty() ||
            (sizes.last() == sizes.first() && length < recordedLength(files_.first())))
            missingPart_ = info.fileName();
        return;
    }
}

bool SevenZipVolumes::isPart(const QString &path) {
    return partPattern().match(path).hasMatch();
}
