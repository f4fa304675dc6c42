#include "encoding/StringEncoding.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <unicode/ucnv.h>

#include <algorithm>
#include <iterator>
#include <memory>

namespace {

struct RegisteredEncoding {
    QByteArray converter; // ICU's canonical converter name, unambiguous where aliases are not
    QString iana;
    const char *displayName = nullptr; // untranslated; looked up when asked for
};

using EncodingTable = QHash<StringEncoding, RegisteredEncoding>;

struct Registry {
    QList<StringEncoding> order;
    EncodingTable byNumber;
};

// Names people know the common encodings by. Keys are any name ICU resolves, so the table
// does not depend on which alias ICU reports as the IANA one.
struct DisplayName {
    const char *alias;
    const char *text;
};

constexpr DisplayName kDisplayNames[] = {
    {"UTF-8", QT_TRANSLATE_NOOP("StringEncodings", "Unicode (UTF-8)")},
    {"UTF-16", QT_TRANSLATE_NOOP("StringEncodings", "Unicode (UTF-16)")},
    {"UTF-16BE", QT_TRANSLATE_NOOP("StringEncodings", "Unicode (UTF-16BE)")},
    {"UTF-16LE", QT_TRANSLATE_NOOP("StringEncodings", "Unicode (UTF-16LE)")},
    {"UTF-32", QT_TRANSLATE_NOOP("StringEncodings", "Unicode (UTF-32)")},
    {"UTF-32BE", QT_TRANSLATE_NOOP("StringEncodings", "Unicode (UTF-32BE)")},
    {"UTF-32LE", QT_TRANSLATE_NOOP("StringEncodings", "Unicode (UTF-32LE)")},
    {"UTF-7", QT_TRANSLATE_NOOP("StringEncodings", "Unicode (UTF-7)")},
    {"US-ASCII", QT_TRANSLATE_NOOP("StringEncodings", "Western (ASCII)")},
    {"ISO-8859-1", QT_TRANSLATE_NOOP("StringEncodings", "Western (ISO Latin 1)")},
    {"ISO-8859-2", QT_TRANSLATE_NOOP("StringEncodings", "Central European (ISO Latin 2)")},
    {"ISO-8859-3", QT_TRANSLATE_NOOP("StringEncodings", "Western (ISO Latin 3)")},
    {"ISO-8859-4", QT_TRANSLATE_NOOP("StringEncodings", "Central European (ISO Latin 4)")},
    {"ISO-8859-5", QT_TRANSLATE_NOOP("StringEncodings", "Cyrillic (ISO 8859-5)")},
    {"ISO-8859-6", QT_TRANSLATE_NOOP("StringEncodings", "Arabic (ISO 8859-6)")},
    {"ISO-8859-7", QT_TRANSLATE_NOOP("StringEncodings", "Greek (ISO 8859-7)")},
    {"ISO-8859-8", QT_TRANSLATE_NOOP("StringEncodings", "Hebrew (ISO 8859-8)")},
    {"ISO-8859-9", QT_TRANSLATE_NOOP("StringEncodings", "Turkish (ISO Latin 5)")},
    {"ISO-8859-10", QT_TRANSLATE_NOOP("StringEncodings", "Nordic (ISO Latin 6)")},
    {"ISO-8859-13", QT_TRANSLATE_NOOP("StringEncodings", "Baltic (ISO Latin 7)")},
    {"ISO-8859-14", QT_TRANSLATE_NOOP("StringEncodings", "Celtic (ISO Latin 8)")},
    {"ISO-8859-15", QT_TRANSLATE_NOOP("StringEncodings", "Western (ISO Latin 9)")},
    {"windows-1250", QT_TRANSLATE_NOOP("StringEncodings", "Central European (Windows Latin 2)")},
    {"windows-1251", QT_TRANSLATE_NOOP("StringEncodings", "Cyrillic (Windows)")},
    {"windows-1252", QT_TRANSLATE_NOOP("StringEncodings", "Western (Windows Latin 1)")},
    {"windows-1253", QT_TRANSLATE_NOOP("StringEncodings", "Greek (Windows)")},
    {"windows-1254", QT_TRANSLATE_NOOP("StringEncodings", "Turkish (Windows Latin 5)")},
    {"windows-1255", QT_TRANSLATE_NOOP("StringEncodings", "Hebrew (Windows)")},
    {"windows-1256", QT_TRANSLATE_NOOP("StringEncodings", "Arabic (Windows)")},
    {"windows-1257", QT_TRANSLATE_NOOP("StringEncodings", "Baltic (Windows)")},
    {"windows-1258", QT_TRANSLATE_NOOP("StringEncodings", "Vietnamese (Windows)")},
    {"KOI8-R", QT_TRANSLATE_NOOP("StringEncodings", "Cyrillic (KOI8-R)")},
    {"KOI8-U", QT_TRANSLATE_NOOP("StringEncodings", "Ukrainian (KOI8-U)")},
    {"macintosh", QT_TRANSLATE_NOOP("StringEncodings", "Western (Mac OS Roman)")},
    {"IBM437", QT_TRANSLATE_NOOP("StringEncodings", "Latin-US (DOS)")},
    {"IBM775", QT_TRANSLATE_NOOP("StringEncodings", "Baltic (DOS)")},
    {"IBM850", QT_TRANSLATE_NOOP("StringEncodings", "Western (DOS Latin 1)")},
    {"IBM852", QT_TRANSLATE_NOOP("StringEncodings", "Central European (DOS Latin 2)")},
    {"IBM855", QT_TRANSLATE_NOOP("StringEncodings", "Cyrillic (DOS 855)")},
    {"IBM857", QT_TRANSLATE_NOOP("StringEncodings", "Turkish (DOS)")},
    {"IBM860", QT_TRANSLATE_NOOP("StringEncodings", "Portuguese (DOS)")},
    {"IBM861", QT_TRANSLATE_NOOP("StringEncodings", "Icelandic (DOS)")},
    {"IBM862", QT_TRANSLATE_NOOP("StringEncodings", "Hebrew (DOS)")},
    {"IBM863", QT_TRANSLATE_NOOP("StringEncodings", "Canadian French (DOS)")},
    {"IBM864", QT_TRANSLATE_NOOP("StringEncodings", "Arabic (DOS)")},
    {"IBM865", QT_TRANSLATE_NOOP("StringEncodings", "Nordic (DOS)")},
    {"IBM866", QT_TRANSLATE_NOOP("StringEncodings", "Cyrillic (DOS)")},
    {"IBM869", QT_TRANSLATE_NOOP("StringEncodings", "Greek (DOS)")},
    {"Shift_JIS", QT_TRANSLATE_NOOP("StringEncodings", "Japanese (Shift JIS)")},
    {"EUC-JP", QT_TRANSLATE_NOOP("StringEncodings", "Japanese (EUC)")},
    {"ISO-2022-JP", QT_TRANSLATE_NOOP("StringEncodings", "Japanese (ISO 2022-JP)")},
    {"ISO-2022-JP-2", QT_TRANSLATE_NOOP("StringEncodings", "Japanese (ISO 2022-JP-2)")},
    {"GB18030", QT_TRANSLATE_NOOP("StringEncodings", "Chinese (GB 18030)")},
    {"GBK", QT_TRANSLATE_NOOP("StringEncodings", "Chinese (GBK)")},
    {"GB2312", QT_TRANSLATE_NOOP("StringEncodings", "Simplified Chinese (GB 2312)")},
    {"HZ-GB-2312", QT_TRANSLATE_NOOP("StringEncodings", "Simplified Chinese (HZ GB 2312)")},
    {"ISO-2022-CN", QT_TRANSLATE_NOOP("StringEncodings", "Simplified Chinese (ISO 2022-CN)")},
    {"Big5", QT_TRANSLATE_NOOP("StringEncodings", "Traditional Chinese (Big 5)")},
    {"Big5-HKSCS", QT_TRANSLATE_NOOP("StringEncodings", "Traditional Chinese (Big 5 HKSCS)")},
    {"EUC-KR", QT_TRANSLATE_NOOP("StringEncodings", "Korean (EUC)")},
    {"ISO-2022-KR", QT_TRANSLATE_NOOP("StringEncodings", "Korean (ISO 2022-KR)")},
    {"TIS-620", QT_TRANSLATE_NOOP("StringEncodings", "Thai (TIS 620)")},
};

quint32 fnv1a32(const QByteArray &bytes) {
    quint32 hash = 2166136261u;
    for (const char byte : bytes) {
        hash ^= quint8(byte);
        hash *= 16777619u;
    }
    return hash;
}

// Bit 32 keeps every hashed number clear of 4 and of 0xFFFFFFFF.
StringEncoding numberForIANAName(const QByteArray &iana) {
    const QByteArray lower = iana.toLower();
    if (lower == "utf-8")
        return kUTF8StringEncoding;
    return (StringEncoding(1) << 32) | fnv1a32(lower);
}

// The IANA name of the converter that the alias names, or null when there is none.
const char *standardIANAName(const char *alias) {
    UErrorCode status = U_ZERO_ERROR;
    const char *iana = ucnv_getStandardName(alias, "IANA", &status);
    return U_SUCCESS(status) && iana && *iana ? iana : nullptr;
}

StringEncoding resolve(const EncodingTable &byNumber, const QByteArray &alias) {
    if (alias.isEmpty())
        return kAutomaticEncoding;
    // An offered IANA name stands for its own encoding even where ICU resolves it as an alias
    // of another converter (as with "KS_C_5601-1987").
    const StringEncoding direct = numberForIANAName(alias);
    const auto found = byNumber.constFind(direct);
    if (found != byNumber.constEnd() &&
        found->iana.compare(QString::fromUtf8(alias), Qt::CaseInsensitive) == 0)
        return direct;
    const char *iana = standardIANAName(alias.constData());
    if (!iana)
        return kAutomaticEncoding;
    const StringEncoding number = numberForIANAName(iana);
    return byNumber.contains(number) ? number : kAutomaticEncoding;
}

Registry buildRegistry() {
    Registry registry;
    QSet<QByteArray> seenNames;
    const int32_t count = ucnv_countAvailable();
    for (int32_t i = 0; i < count; ++i) {
        const char *converter = ucnv_getAvailableName(i);
        const char *iana = converter ? standardIANAName(converter) : nullptr;
        if (!iana)
            continue;
        // Several converters may carry one IANA name; the first one in ICU's order stands for it.
        const QByteArray lower = QByteArray(iana).toLower();
        if (seenNames.contains(lower))
            continue;
        seenNames.insert(lower);
        // A hash collision between two different names is appended anyway, so that the
        // uniqueness check of the numbers reports it instead of an encoding going missing.
        const StringEncoding number = numberForIANAName(iana);
        registry.order.append(number);
        if (!registry.byNumber.contains(number))
            registry.byNumber.insert(number, {QByteArray(converter), QString::fromLatin1(iana)});
    }
    for (const DisplayName &entry : kDisplayNames) {
        const auto found = registry.byNumber.find(resolve(registry.byNumber, entry.alias));
        if (found != registry.byNumber.end())
            found->displayName = entry.text;
    }
    return registry;
}

const Registry &registry() {
    static const Registry instance = buildRegistry();
    return instance;
}

const RegisteredEncoding *lookup(StringEncoding encoding) {
    const auto &byNumber = registry().byNumber;
    const auto found = byNumber.constFind(encoding);
    return found == byNumber.constEnd() ? nullptr : &*found;
}

bool isAscii(const char *bytes, qsizetype length) {
    return std::all_of(bytes, bytes + length, [](char byte) { return quint8(byte) < 0x80; });
}

// The thread's converter for the encoding, reset to a fresh start. A listing decodes every name
// with the same encoding, and opening a converter costs more than decoding a name.
UConverter *openedConverter(StringEncoding encoding, const QByteArray &name, UErrorCode *status) {
    struct Cached {
        StringEncoding encoding = kAutomaticEncoding;
        std::unique_ptr<UConverter, decltype(&ucnv_close)> converter{nullptr, ucnv_close};
    };
    thread_local Cached cached;
    if (cached.converter && cached.encoding == encoding) {
        ucnv_resetToUnicode(cached.converter.get());
        return cached.converter.get();
    }
    cached.converter.reset(ucnv_open(name.constData(), status));
    cached.encoding = encoding;
    ucnv_setToUCallBack(cached.converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        status);
    if (U_FAILURE(*status))
        cached.converter.reset();
    return cached.converter.get();
}

} // namespace

namespace StringEncodings {

StringEncoding fromIANAName(const QString &name) {
    return resolve(registry().byNumber, name.toUtf8());
}

std::optional<QString> ianaName(StringEncoding encoding) {
    if (const RegisteredEncoding *found = lookup(encoding))
        return found->iana;
    return std::nullopt;
}

QString displayName(StringEncoding encoding) {
    const RegisteredEncoding *found = lookup(encoding);
    if (!found || !found->displayName)
        return QString();
    return QCoreApplication::translate("StringEncodings", found->displayName);
}

std::optional<QString> decode(const char *bytes, qsizetype length, StringEncoding encoding) {
    const RegisteredEncoding *found = lookup(encoding);
    if (!found || length < 0 || (length > 0 && !bytes))
        return std::nullopt;
    if (length == 0)
        return QStringLiteral("");
    // Names are mostly ASCII, which is UTF-8 as it stands; opening a converter for each of them
    // would cost more than the decoding.
    if (encoding == kUTF8StringEncoding && isAscii(bytes, length))
        return QString::fromLatin1(bytes, length);

    UErrorCode status = U_ZERO_ERROR;
    UConverter *converter = openedConverter(encoding, found->converter, &status);
    if (U_FAILURE(status))
        return std::nullopt;

    // Converted in chunks so that inputs beyond ICU's 32-bit lengths work too.
    QString text;
    text.reserve(length);
    UChar buffer[4096];
    const char *source = bytes;
    const char *const sourceLimit = bytes + length;
    for (;;) {
        UChar *target = buffer;
        ucnv_toUnicode(converter, &target, buffer + std::size(buffer), &source, sourceLimit,
                       nullptr, true, &status);
        text.append(reinterpret_cast<const QChar *>(buffer), target - buffer);
        if (status != U_BUFFER_OVERFLOW_ERROR)
            break;
        status = U_ZERO_ERROR;
    }
    if (U_FAILURE(status))
        return std::nullopt;
    return text;
}

QList<StringEncoding> availableEncodings() {
    return registry().order;
}

} // namespace StringEncodings
