#include "encoding/NamePlausibility.h"

#include <QChar>
#include <QHash>
#include <QList>
#include <QSet>

#include <unicode/ucnv.h>

#include <memory>
#include <string_view>

namespace {

// What each trace of a wrong code page costs; the worse the trace, the higher.
constexpr int kBroken = 20;
constexpr int kBoxDrawing = 15;
constexpr int kForeignLetter = 10;
constexpr int kSandwichedIdeograph = 10;
constexpr int kOddSpace = 8;
constexpr int kPunctuationInWord = 8;
constexpr int kSymbol = 6;
constexpr int kMisplacedLetter = 6;
constexpr int kUncommonLetter = 4;
constexpr int kMark = 4;
constexpr int kRareIdeograph = 3;
constexpr int kPunctuation = 2;
constexpr int kCjkNextToLatin = 2;
constexpr int kCjkPunctuation = 1;

constexpr char32_t kTypographicApostrophe = 0x2019;
constexpr char32_t kFinalSigma = 0x03C2;

// The letters beyond ASCII that one language writes, lower-case.
struct Alphabet {
    QChar::Script script;
    std::u16string_view letters;
};

constexpr Alphabet kAlphabets[] = {
    {QChar::Script_Latin, u"äöüß"},                                 // German
    {QChar::Script_Latin, u"àâæçéèêëîïôœùûüÿ"},                     // French
    {QChar::Script_Latin, u"áéíñóúü"},                              // Spanish
    {QChar::Script_Latin, u"áâãàçéêíóôõú"},                         // Portuguese
    {QChar::Script_Latin, u"àèéìíîòóùú"},                           // Italian
    {QChar::Script_Latin, u"àçèéíïòóúü"},                           // Catalan
    {QChar::Script_Latin, u"áéëïóöü"},                              // Dutch
    {QChar::Script_Latin, u"æøåé"},                                 // Danish, Norwegian
    {QChar::Script_Latin, u"åäöé"},                                 // Swedish
    {QChar::Script_Latin, u"äöåšž"},                                // Finnish
    {QChar::Script_Latin, u"áðéíóúýþæö"},                           // Icelandic
    {QChar::Script_Latin, u"ąćęłńóśźż"},                            // Polish
    {QChar::Script_Latin, u"áčďéěíňóřšťúůýž"},                      // Czech
    {QChar::Script_Latin, u"áäčďéíĺľňóôŕšťúýž"},                    // Slovak
    {QChar::Script_Latin, u"áéíóöőúüű"},                            // Hungarian
    {QChar::Script_Latin, u"čćđšž"},                                // Croatian, Slovene, Bosnian
    {QChar::Script_Latin, u"ăâîșțşţ"},                              // Romanian
    {QChar::Script_Latin, u"çğıöşüâîû"},                            // Turkish
    {QChar::Script_Latin, u"äöõüšž"},                               // Estonian
    {QChar::Script_Latin, u"āčēģīķļņšūž"},                          // Latvian
    {QChar::Script_Latin, u"ąčęėįšųūž"},                            // Lithuanian
    {QChar::Script_Cyrillic, u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя"}, // Russian
    {QChar::Script_Cyrillic, u"абвгґдеєжзиіїйклмнопрстуфхцчшщьюя"}, // Ukrainian
    {QChar::Script_Cyrillic, u"абвгдеёжзійклмнопрстуўфхцчшыьэюя"},  // Belarusian
    {QChar::Script_Cyrillic, u"абвгдежзийклмнопрстуфхцчшщъьюя"},    // Bulgarian
    {QChar::Script_Cyrillic, u"абвгдђежзијклљмнњопрстћуфхцчџш"},    // Serbian
    {QChar::Script_Cyrillic, u"абвгдѓежзѕијклљмнњопрстќуфхцчџш"},   // Macedonian
    {QChar::Script_Greek, u"αβγδεζηθικλμνξοπρστυφχψωάέήίόύώϊϋΐΰς"}, // Greek
};

constexpr QChar::Script kAlphabetScripts[] = {QChar::Script_Latin, QChar::Script_Greek,
                                              QChar::Script_Cyrillic};

// Ideographs and kana count as one script: Chinese and Japanese words mix them freely.
constexpr int kIdeographicGroup = -1;
constexpr int kHangulGroup = int(QChar::Script_Hangul);
constexpr int kLatinGroup = int(QChar::Script_Latin);

// The ideographs of the first (most used) level of GB 2312, Big5 and JIS X 0208: what names
// in Chinese and Japanese are mostly written with.
struct CommonRange {
    const char *converter;
    uchar firstLead, lastLead;
    uchar firstTrail, lastTrail;
};

constexpr CommonRange kCommonRanges[] = {
    {"GB2312", 0xB0, 0xD7, 0xA1, 0xFE},
    {"Big5", 0xA4, 0xC6, 0x40, 0xFE},
    {"Shift_JIS", 0x88, 0x98, 0x40, 0xFC},
};

void addIdeographs(const CommonRange &range, QSet<char32_t> &set) {
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(
        ucnv_open(range.converter, &status), ucnv_close);
    if (U_FAILURE(status))
        return;
    for (int lead = range.firstLead; lead <= range.lastLead; ++lead) {
        for (int trail = range.firstTrail; trail <= range.lastTrail; ++trail) {
            const char bytes[] = {char(lead), char(trail)};
            UChar unit[4];
            status = U_ZERO_ERROR;
            ucnv_reset(converter.get());
            const int32_t length = ucnv_toUChars(converter.get(), unit, 4, bytes, 2, &status);
            if (U_SUCCESS(status) && length == 1 &&
                QChar::script(char32_t(unit[0])) == QChar::Script_Han)
                set.insert(char32_t(unit[0]));
        }
    }
}

const QSet<char32_t> &commonIdeographs() {
    static const QSet<char32_t> set = [] {
        QSet<char32_t> ideographs;
        for (const CommonRange &range : kCommonRanges)
            addIdeographs(range, ideographs);
        return ideographs;
    }();
    return set;
}

bool isAscii(char32_t c) {
    return c < 0x80;
}

bool isBroken(char32_t c) {
    if (isAscii(c))
        return c < 0x20 || c == 0x7F;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return true;
    default:
        return c == 0xFFFD;
    }
}

// Kana marks that Unicode files under no script but that Japanese words are made of.
bool isKanaMark(char32_t c) {
    return c == 0x30FC || c == 0xFF70 || c == 0xFF9E || c == 0xFF9F;
}

bool isWordLetter(char32_t c) {
    if (isAscii(c))
        return QChar::isLetter(c);
    if (isKanaMark(c))
        return true;
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Other:
        break;
    default:
        return false;
    }
    const QChar::Script script = QChar::script(c);
    return script != QChar::Script_Common && script != QChar::Script_Inherited &&
           script != QChar::Script_Unknown;
}

int letterGroup(char32_t c) {
    if (isKanaMark(c))
        return kIdeographicGroup;
    switch (const QChar::Script script = QChar::script(c)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
        return kIdeographicGroup;
    default:
        return int(script);
    }
}

bool isCjkGroup(int group) {
    return group == kIdeographicGroup || group == kHangulGroup;
}

bool isCjkPunctuation(char32_t c) {
    return (c >= 0x3000 && c <= 0x303F) || c == 0x30FB || (c >= 0xFF01 && c <= 0xFF65);
}

// Punctuation beyond ASCII, other than the CJK kinds.
bool isPunctuation(char32_t c) {
    if (isAscii(c) || isCjkPunctuation(c))
        return false;
    switch (QChar::category(c)) {
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
        return true;
    default:
        return false;
    }
}

// What a character outside words costs, punctuation aside.
int otherCharacterCost(char32_t c) {
    if (isBroken(c))
        return kBroken;
    if (isAscii(c))
        return 0;
    if (c >= 0x2500 && c <= 0x259F)
        return kBoxDrawing;
    if (isCjkPunctuation(c))
        return kCjkPunctuation;
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return kOddSpace;
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return kMark;
    default:
        return kSymbol;
    }
}

bool hasAlphabet(char32_t c) {
    const QChar::Script script = QChar::script(c);
    for (const QChar::Script alphabetScript : kAlphabetScripts) {
        if (script == alphabetScript)
            return true;
    }
    return false;
}

// Non-ASCII letters no single language writes together: per script, those outside the
// alphabet that covers most of them.
int uncommonLetterCost(const QHash<char32_t, int> &letters) {
    int cost = 0;
    for (const QChar::Script script : kAlphabetScripts) {
        int total = 0;
        for (auto it = letters.constBegin(); it != letters.constEnd(); ++it) {
            if (QChar::script(it.key()) == script)
                total += it.value();
        }
        int best = 0;
        for (const Alphabet &alphabet : kAlphabets) {
            if (alphabet.script != script)
                continue;
            int covered = 0;
            for (const char16_t letter : alphabet.letters)
                covered += letters.value(letter);
            best = qMax(best, covered);
        }
        cost += (total - best) * kUncommonLetter;
    }
    return cost;
}

// Latin words next to Chinese, Japanese or Korean ones are common ("Windows版"); other mixes
// are not.
bool mixesFreely(int group, int other) {
    return (group == kLatinGroup && isCjkGroup(other)) ||
           (isCjkGroup(group) && other == kLatinGroup);
}

// The text judged one word (a run of letters) or one other character at a time.
class Scorer {
public:
    explicit Scorer(QStringView text)
        : points_(text.toUcs4()) {}

    int run() {
        qsizetype i = 0;
        while (i < points_.size()) {
            if (!isLetterAt(i)) {
                total_ += characterCost(i++);
                continue;
            }
            const qsizetype begin = i;
            while (isLetterAt(i))
                ++i;
            const int majority = majorityGroup(begin, i);
            for (qsizetype j = begin; j < i; ++j)
                total_ += letterCost(j, begin, i, majority);
        }
        return total_ + uncommonLetterCost(letters_);
    }

private:
    char32_t at(qsizetype i) const { return char32_t(points_[i]); }
    bool isLetterAt(qsizetype i) const {
        return i >= 0 && i < points_.size() && isWordLetter(at(i));
    }

    int characterCost(qsizetype i) const {
        const char32_t c = at(i);
        if (!isPunctuation(c))
            return otherCharacterCost(c);
        // Quotes and dashes stand between words; inside one they are letters of another code
        // page, except the typographic apostrophe.
        if (!isLetterAt(i - 1) || !isLetterAt(i + 1))
            return kPunctuation;
        return c == kTypographicApostrophe ? 0 : kPunctuationInWord;
    }

    // The group most letters of the word belong to; the earliest on a tie.
    int majorityGroup(qsizetype begin, qsizetype end) const {
        QHash<int, int> counts;
        int majority = letterGroup(at(begin));
        for (qsizetype i = begin; i < end; ++i) {
            const int group = letterGroup(at(i));
            if (++counts[group] > counts.value(majority))
                majority = group;
        }
        return majority;
    }

    int letterCost(qsizetype i, qsizetype begin, qsizetype end, int majority) {
        const char32_t c = at(i);
        const int group = letterGroup(c);
        int cost = 0;
        if (group != majority && !mixesFreely(group, majority))
            cost += kForeignLetter;
        if (isCjkGroup(group))
            cost += latinNeighbourCost(i, begin, end);
        if (isInnerCapital(i, begin, end) || (c == kFinalSigma && i + 1 < end))
            cost += kMisplacedLetter;
        if (isAscii(c))
            return cost;
        if (QChar::script(c) == QChar::Script_Han && !commonIdeographs().contains(c))
            cost += kRareIdeograph;
        if (hasAlphabet(c))
            ++letters_[QChar::toLower(c)];
        return cost;
    }

    // A CJK letter glued to Latin letters; between two of them it came from Latin bytes.
    int latinNeighbourCost(qsizetype i, qsizetype begin, qsizetype end) const {
        const bool before = i > begin && letterGroup(at(i - 1)) == kLatinGroup;
        const bool after = i + 1 < end && letterGroup(at(i + 1)) == kLatinGroup;
        if (before && after)
            return kSandwichedIdeograph;
        return before || after ? kCjkNextToLatin : 0;
    }

    // A capital after a small letter, or one that starts small letters in mid-word; plain
    // ASCII camel case ("MyFile") is common and exempt.
    bool isInnerCapital(qsizetype i, qsizetype begin, qsizetype end) const {
        const char32_t c = at(i);
        if (!QChar::isUpper(c) || i == begin)
            return false;
        const char32_t previous = at(i - 1);
        if (isAscii(c) && isAscii(previous))
            return false;
        if (QChar::isLower(previous))
            return true;
        return !isAscii(c) && i + 1 < end && QChar::isLower(at(i + 1));
    }

    const QList<uint> points_;
    int total_ = 0;
    QHash<char32_t, int> letters_;
};

} // namespace

int NamePlausibility::cost(QStringView text) {
    return Scorer(text).run();
}

bool NamePlausibility::hasBrokenCharacters(QStringView text) {
    for (const uint c : text.toUcs4()) {
        if (isBroken(char32_t(c)))
            return true;
    }
    return false;
}
