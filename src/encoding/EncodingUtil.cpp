#include "encoding/EncodingUtil.h"

#include "encoding/CharsetDetector.h"
#include "util/SettingsKeys.h"
#include "util/UserDefaults.h"

#include <QFile>
#include <QFileInfo>
#include <QVariantMap>

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

QVariantMap storedHistory() {
    return UserDefaults::open()->value(SettingsKeys::kSystemEncodingHistory).toMap();
}

void storeHistory(const QVariantMap &history) {
    UserDefaults::open()->setValue(SettingsKeys::kSystemEncodingHistory, history);
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

void EncodingUtil::rememberEncoding(const QString &path, const QString &name) {
    QVariantMap history = storedHistory();
    history.insert(path, name);
    storeHistory(history);
}

std::optional<QString> EncodingUtil::rememberedEncodingName(const QString &path) {
    const QVariantMap history = storedHistory();
    const auto found = history.constFind(path);
    if (found == history.constEnd())
        return std::nullopt;
    return found->toString();
}

StringEncoding EncodingUtil::rememberedEncoding(const QString &path) {
    const std::optional<QString> name = rememberedEncodingName(path);
    if (!name || name->isEmpty() || *name == QLatin1String(EncodingItem::kAutomaticName))
        return kAutomaticEncoding;
    return encodingForName(*name);
}

bool EncodingUtil::pruneRememberedEncodings() {
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

std::optional<QString> EncodingUtil::readText(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("");
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("");

    const StringEncoding chosen = rememberedEncoding(path);
    if (chosen != kAutomaticEncoding) {
        if (auto text = StringEncodings::decode(data.constData(), data.size(), chosen))
            return text;
    }
    return CharsetDetector::decode(data);
}
