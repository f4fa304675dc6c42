#include "encoding/EncodingUtil.h"

#include "encoding/CharsetDetector.h"

#include <QFile>

#include <algorithm>

namespace {

struct TrialResult {
    QString charset;
    QString text;
};

std::optional<TrialResult> tryCharsets(const std::optional<QStringList> &charsets,
                                       const char *bytes, qsizetype length) {
    if (!charsets)
        return std::nullopt;
    for (const QString &charset : *charsets) {
        const StringEncoding encoding = EncodingUtil::encodingForName(charset);
        if (auto text = StringEncodings::decode(bytes, length, encoding))
            return TrialResult{charset, *std::move(text)};
    }
    return std::nullopt;
}

std::optional<QString> textOf(std::optional<TrialResult> result) {
    if (!result)
        return std::nullopt;
    return std::move(result->text);
}

} // namespace

std::optional<QString> EncodingUtil::decodeWithCharsets(const std::optional<QStringList> &charsets,
                                                        const QByteArray &data) {
    return textOf(tryCharsets(charsets, data.constData(), data.size()));
}

std::optional<QString> EncodingUtil::detectCharset(const std::optional<QStringList> &charsets,
                                                   const QByteArray &data) {
    if (auto result = tryCharsets(charsets, data.constData(), data.size()))
        return std::move(result->charset);
    return std::nullopt;
}

StringEncoding EncodingUtil::encodingForName(const QString &name) {
    const StringEncoding encoding = StringEncodings::fromIANAName(name);
    return encoding == kAutomaticEncoding ? kUTF8StringEncoding : encoding;
}

QList<EncodingItem> EncodingUtil::catalogue() {
    QList<EncodingItem> items;
    for (const StringEncoding encoding : StringEncodings::availableEncodings()) {
        const std::optional<QString> name = StringEncodings::ianaName(encoding);
        if (name && !name->isEmpty())
            items.append(EncodingItem(encoding, *name));
    }
    return items;
}

QList<EncodingItem> EncodingUtil::catalogueSorted() {
    QList<EncodingItem> items = catalogue();
    std::stable_sort(items.begin(), items.end(), [](const EncodingItem &a, const EncodingItem &b) {
        return a.localizedName() < b.localizedName();
    });
    return items;
}

std::optional<QString> EncodingUtil::readText(const QString &path, StringEncoding encoding) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("");
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("");

    if (encoding != kAutomaticEncoding) {
        if (auto text = StringEncodings::decode(data.constData(), data.size(), encoding))
            return text;
    }
    return CharsetDetector::decode(data);
}
