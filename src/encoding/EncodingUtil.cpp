#include "encoding/EncodingUtil.h"

#include "encoding/DetectorCharacter.h"
#include "util/SettingsKeys.h"
#include "util/UserDefaults.h"

#include <QFile>
#include <QFileInfo>
#include <QVariantMap>

#include <algorithm>
#include <cstring>

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
        const StringEncoding encoding = EncodingUtil::convertStringToNSStringEncoding(charset);
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

qsizetype cStringLength(const char *chars) {
    return chars ? qsizetype(std::strlen(chars)) : 0;
}

QVariantMap storedHistory() {
    return UserDefaults::open()->value(SettingsKeys::kSystemEncodingHistory).toMap();
}

void storeHistory(const QVariantMap &history) {
    UserDefaults::open()->setValue(SettingsKeys::kSystemEncodingHistory, history);
}

} // namespace

std::optional<QString> EncodingUtil::detectWithCharsets(const std::optional<QStringList> &charsets,
                                                        const QByteArray &data) {
    return textOf(tryCharsets(charsets, data.constData(), data.size()));
}

std::optional<QString>
EncodingUtil::detectWithCharsetsRetrunCharset(const std::optional<QStringList> &charsets,
                                              const QByteArray &data) {
    if (auto result = tryCharsets(charsets, data.constData(), data.size()))
        return std::move(result->charset);
    return std::nullopt;
}

std::optional<QString>
EncodingUtil::detectWithCharsetsAndChar(const std::optional<QStringList> &charsets,
                                        const char *ch) {
    return textOf(tryCharsets(charsets, ch, cStringLength(ch)));
}

std::optional<QString> EncodingUtil::detectWithCharsets(const std::optional<QStringList> &charsets,
                                                        const char *chars) {
    return textOf(tryCharsets(charsets, chars, cStringLength(chars)));
}

std::optional<QString> EncodingUtil::detectWithData(const QByteArray &data) {
    return detectWithData(data, nullptr);
}

std::optional<QString> EncodingUtil::detectWithData(const QByteArray &data, QString *outEncoding) {
    auto result =
        tryCharsets(DetectorCharacter::detectorDataEncoding(data), data.constData(), data.size());
    if (!result)
        return std::nullopt;
    if (outEncoding)
        *outEncoding = result->charset;
    return std::move(result->text);
}

StringEncoding EncodingUtil::convertStringToNSStringEncoding(const QString &name) {
    const StringEncoding encoding = StringEncodings::fromIANAName(name);
    return encoding == kAutomaticEncoding ? kUTF8StringEncoding : encoding;
}

std::optional<QString> EncodingUtil::encodingForStringEncoding(StringEncoding encoding) {
    return StringEncodings::ianaName(encoding);
}

QList<EncodingItem> EncodingUtil::allAvailableStringEncodings() {
    QList<EncodingItem> items;
    for (const StringEncoding encoding : StringEncodings::availableEncodings()) {
        const std::optional<QString> name = encodingForStringEncoding(encoding);
        if (name && !name->isEmpty())
            items.append(EncodingItem(encoding, *name));
    }
    return items;
}

QList<EncodingItem> EncodingUtil::allAvailableStringEncodingsOrdered() {
    QList<EncodingItem> items = allAvailableStringEncodings();
    std::stable_sort(items.begin(), items.end(), [](const EncodingItem &a, const EncodingItem &b) {
        return a.localizedCompare(b) < 0;
    });
    return items;
}

void EncodingUtil::saveFileEncoding(const QString &path, const QString &name) {
    QVariantMap history = storedHistory();
    history.insert(path, name);
    storeHistory(history);
}

std::optional<QString> EncodingUtil::getFileEncoding(const QString &path) {
    const QVariantMap history = storedHistory();
    const auto found = history.constFind(path);
    if (found == history.constEnd())
        return std::nullopt;
    return found->toString();
}

StringEncoding EncodingUtil::getCurrentFileEncoding(const QString &path) {
    const std::optional<QString> name = getFileEncoding(path);
    if (!name || name->isEmpty() || *name == QLatin1String(EncodingItem::kAutomaticName))
        return kAutomaticEncoding;
    return convertStringToNSStringEncoding(*name);
}

bool EncodingUtil::removeFileEncoding() {
    const QVariantMap stored = storedHistory();
    QVariantMap kept = stored;
    bool removed = false;
    for (auto it = stored.constBegin(); it != stored.constEnd(); ++it) {
        if (!QFileInfo::exists(it.key())) {
            kept.remove(it.key());
            removed = true;
        }
    }
    if (!removed)
        return false;
    storeHistory(kept);
    UserDefaults::reset();
    return true;
}

std::optional<QString> EncodingUtil::getFileContent(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("");
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("");

    const StringEncoding chosen = getCurrentFileEncoding(path);
    if (chosen != kAutomaticEncoding) {
        if (auto text = StringEncodings::decode(data.constData(), data.size(), chosen))
            return text;
    }
    return DetectorCharacter::detectorForData(data);
}
