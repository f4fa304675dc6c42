#include "encoding/CharsetDetector.h"

#include "encoding/EncodingUtil.h"

#include <unicode/ucsdet.h>

#include <limits>
#include <memory>

namespace {

QStringList candidatesOrUTF8(std::optional<QStringList> candidates) {
    if (!candidates)
        return {QStringLiteral("UTF-8")};
    return *std::move(candidates);
}

// A name field may or may not carry its terminating NUL within its length.
QByteArray upToFirstNul(const char *bytes, qsizetype length) {
    if (!bytes || length <= 0)
        return QByteArray("");
    return QByteArray(bytes, qsizetype(qstrnlen(bytes, size_t(length))));
}

} // namespace

std::optional<QStringList> CharsetDetector::candidates(const char *bytes, quint64 length) {
    if (!bytes) {
        bytes = "";
        length = 0;
    }
    UErrorCode status = U_ZERO_ERROR;
    int32_t matchCount = 0;
    const std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&status),
                                                                              ucsdet_close);
    // ICU counts in 32 bits; a longer input is judged by its beginning.
    const auto count = int32_t(qMin<quint64>(length, std::numeric_limits<int32_t>::max()));
    ucsdet_setText(detector.get(), bytes, count, &status);
    const UCharsetMatch **matches = ucsdet_detectAll(detector.get(), &matchCount, &status);
    if (U_FAILURE(status) || matchCount <= 0 || !matches)
        return std::nullopt;

    QStringList names;
    names.reserve(matchCount);
    for (int32_t i = 0; i < matchCount; ++i) {
        const char *name = ucsdet_getName(matches[i], &status);
        if (U_FAILURE(status))
            break;
        names.append(QString::fromUtf8(name));
    }
    return names;
}

std::optional<QStringList> CharsetDetector::candidates(const QByteArray &data) {
    return candidates(data.constData(), quint64(data.size()));
}

std::optional<QString> CharsetDetector::decode(const QByteArray &data) {
    return EncodingUtil::decodeWithCharsets(candidatesOrUTF8(candidates(data)), data);
}

std::optional<QString> CharsetDetector::decodeCString(const char *bytes, qsizetype length) {
    const auto found = candidates(bytes, quint64(qMax<qsizetype>(length, 0)));
    return EncodingUtil::decodeWithCharsets(candidatesOrUTF8(found), upToFirstNul(bytes, length));
}
