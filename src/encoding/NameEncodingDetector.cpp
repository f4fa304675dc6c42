#include "encoding/NameEncodingDetector.h"

#include "encoding/CharsetDetector.h"
#include "encoding/EncodingUtil.h"
#include "encoding/NamePlausibility.h"
#include "encoding/StringEncoding.h"

#include <QList>
#include <QSet>
#include <QStringList>

#include <unicode/ucnv.h>

#include <algorithm>
#include <memory>

namespace {

// ICU judges short name lists badly; they are repeated until they reach this many bytes.
constexpr qsizetype kMinimumSample = 100;
// Plausibility is judged on the beginning of the names; this many characters are plenty.
constexpr qsizetype kJudgedLength = 65536;

// The code pages DOS and Windows machines store names in, by the names the registry offers:
// the OEM ones, then the ANSI ones that some Windows tools use instead.
constexpr const char *kWindowsCodePages[] = {
    "IBM437",      "IBM850", "IBM852",       "IBM866",       "Shift_JIS",   "GBK",
    "windows-949", "Big5",   "windows-1250", "windows-1251", "windows-1252"};

// What ICU alone makes of the names.
struct IcuPick {
    QStringList candidates;
    // The first candidate that decodes the names; null when none does.
    QString winner;
};

IcuPick icuPick(const QByteArray &names) {
    QByteArray sample = names;
    while (sample.size() < kMinimumSample)
        sample.append(QByteArray(sample));
    IcuPick pick;
    if (auto candidates = CharsetDetector::candidates(sample))
        pick.candidates = *std::move(candidates);
    if (!pick.candidates.isEmpty())
        pick.winner = EncodingUtil::detectCharset(pick.candidates, sample).value_or(QString());
    return pick;
}

// Entry names are byte strings without NULs, which UTF-16 and UTF-32 text never is.
bool isWideUnicode(const QString &charset) {
    return charset.startsWith(QLatin1String("UTF-16"), Qt::CaseInsensitive) ||
           charset.startsWith(QLatin1String("UTF-32"), Qt::CaseInsensitive);
}

bool isMultiByte(const QString &charset) {
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(
        ucnv_open(charset.toUtf8().constData(), &status), ucnv_close);
    return U_SUCCESS(status) && ucnv_getMaxCharSize(converter.get()) > 1;
}

std::optional<QString> decodeAll(const QByteArray &names, StringEncoding encoding) {
    return StringEncodings::decode(names.constData(), names.size(), encoding);
}

// The names one after the other, each a word of its own, as a list shows them. A separator
// never belongs to a character: it is no trail byte of any double-byte code page.
QByteArray separated(const QByteArrayList &names) {
    return names.join('/');
}

// ICU's first choice stands when it is a multi-byte charset (UTF-8, or a Chinese, Japanese or
// Korean one, which ICU tells apart by their frequent characters) that decodes the names cleanly.
bool isTrusted(const IcuPick &pick, const QByteArray &separatedNames) {
    if (pick.winner.isEmpty() || pick.winner != pick.candidates.first() ||
        isWideUnicode(pick.winner) || !isMultiByte(pick.winner))
        return false;
    const auto text = decodeAll(separatedNames, EncodingUtil::encodingForName(pick.winner));
    return text && !NamePlausibility::hasBrokenCharacters(*text);
}

struct Candidate {
    QString charset;
    StringEncoding encoding;
};

// ICU's pick first, so that it wins a tie, then its other candidates, then the Windows code
// pages.
QList<Candidate> windowsCandidates(const IcuPick &pick) {
    QList<Candidate> candidates;
    QSet<StringEncoding> seen;
    const auto add = [&](const QString &charset, StringEncoding encoding) {
        if (isWideUnicode(charset) || seen.contains(encoding))
            return;
        seen.insert(encoding);
        candidates.append({charset, encoding});
    };
    if (!pick.winner.isEmpty())
        add(pick.winner, EncodingUtil::encodingForName(pick.winner));
    for (const QString &charset : pick.candidates) {
        const StringEncoding encoding = StringEncodings::fromIANAName(charset);
        if (encoding != kAutomaticEncoding)
            add(charset, encoding);
    }
    for (const char *name : kWindowsCodePages) {
        const StringEncoding encoding = StringEncodings::fromIANAName(QLatin1String(name));
        if (const auto iana = StringEncodings::ianaName(encoding))
            add(*iana, encoding);
    }
    return candidates;
}

std::optional<QString> mostPlausible(const QList<Candidate> &candidates,
                                     const QByteArray &separatedNames) {
    std::optional<QString> best;
    int bestCost = 0;
    for (const Candidate &candidate : candidates) {
        const auto text = decodeAll(separatedNames, candidate.encoding);
        if (!text)
            continue;
        const int cost = NamePlausibility::cost(QStringView(*text).left(kJudgedLength));
        if (!best || cost < bestCost) {
            best = candidate.charset;
            bestCost = cost;
        }
    }
    return best;
}

std::optional<QString> icuResult(const IcuPick &pick) {
    if (pick.candidates.isEmpty())
        return std::nullopt;
    return pick.winner;
}

} // namespace

std::optional<QString> NameEncodingDetector::detectCharset(const QByteArrayList &names,
                                                           NameHostSystem host) {
    const QByteArray runTogether = names.join();
    // Every charset a name can be in reads ASCII alike: there is nothing to tell, and naming one
    // would show the user an arbitrary pick.
    if (std::all_of(runTogether.cbegin(), runTogether.cend(),
                    [](char byte) { return uchar(byte) < 0x80; }))
        return std::nullopt;
    const IcuPick pick = icuPick(runTogether);
    // A wide Unicode pick is never right for names, whatever system wrote them.
    if (host != NameHostSystem::DosOrWindows && !isWideUnicode(pick.winner))
        return icuResult(pick);
    const QByteArray list = separated(names);
    if (isTrusted(pick, list))
        return icuResult(pick);
    if (auto charset = mostPlausible(windowsCandidates(pick), list))
        return charset;
    return icuResult(pick);
}
