#include "archive/SevenZipVolumes.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {

// The length of a part's stem ("x.7z" in "x.7z.001"), or 0 when the name is not a part's.
qsizetype stemLength(const QString &path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QStringView number = QStringView(path).mid(dot + 1);
    if (dot < 0 || number.size() < 3 ||
        !std::all_of(number.begin(), number.end(),
                     [](QChar c) { return c >= u'0' && c <= u'9'; }) ||
        !QStringView(path).left(dot).endsWith(QLatin1String(".7z"), Qt::CaseInsensitive))
        return 0;
    return dot;
}

// The length of the whole archive as the signature header at the start of the first part
// records it (the packed streams and the header after them), or 0 when there is no such header.
// Values no disk holds come out larger than any set of files.
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
    constexpr quint64 kLimit = quint64(1) << 56;
    if (offset > kLimit || size > kLimit)
        return std::numeric_limits<qint64>::max();
    return qint64(kHeaderSize + offset + size);
}

} // namespace

SevenZipVolumes::SevenZipVolumes(const QString &path) {
    const qsizetype stem = stemLength(path);
    if (stem == 0) {
        files_ = {path};
        truncated_ = QFileInfo(path).size() < recordedLength(path);
        return;
    }
    const qint64 opened = path.mid(stem + 1).toLongLong();
    qint64 length = 0;
    qint64 firstSize = 0;
    qint64 lastSize = 0;
    for (qint64 number = 1;; ++number) {
        const QString part = path.left(stem) + QLatin1Char('.') +
                             QString::number(number).rightJustified(3, QLatin1Char('0'));
        const QFileInfo info(part);
        if (info.isFile()) {
            files_.append(part);
            lastSize = info.size();
            firstSize = number == 1 ? lastSize : firstSize;
            length += lastSize;
            continue;
        }
        // 7-Zip makes every part but the last as long as the first: a short last part ends the
        // set, and an archive still shorter than recorded is damaged rather than incomplete.
        if (number <= opened || files_.isEmpty() ||
            (lastSize == firstSize && length < recordedLength(files_.first())))
            missingPart_ = info.fileName();
        else
            truncated_ = length < recordedLength(files_.first());
        return;
    }
}

bool SevenZipVolumes::isPart(const QString &path) {
    return stemLength(path) > 0;
}
