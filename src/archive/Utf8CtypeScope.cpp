#include "archive/Utf8CtypeScope.h"

#include <langinfo.h>
#include <strings.h>

namespace {

bool isUtf8Codeset(const char *codeset) {
    return codeset && (::strcasecmp(codeset, "UTF-8") == 0 || ::strcasecmp(codeset, "UTF8") == 0);
}

} // namespace

Utf8CtypeScope::Utf8CtypeScope() {
    if (isUtf8Codeset(::nl_langinfo(CODESET)))
        return;
    const locale_t base = ::duplocale(::uselocale(locale_t(nullptr)));
    if (!base)
        return;
    // Only the character type changes; messages, numbers and collation stay as they were.
    utf8Locale_ = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", base);
    if (!utf8Locale_) {
        ::freelocale(base);
        return;
    }
    previousLocale_ = ::uselocale(utf8Locale_);
}

Utf8CtypeScope::~Utf8CtypeScope() {
    if (!utf8Locale_)
        return;
    ::uselocale(previousLocale_);
    ::freelocale(utf8Locale_);
}
