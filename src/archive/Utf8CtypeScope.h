#pragma once

#include <locale.h>

// While it lives, the calling thread converts between wide and multibyte text as UTF-8, also in
// a process running under the "C" locale (no LANG, as in CI). C libraries that turn wide entry
// names into bytes with the C library (the RAR library does, for names and for the files it
// creates) would otherwise cut names off at the first non-ASCII character. Other threads and the
// process-wide locale stay untouched; nothing changes when the thread already uses UTF-8.
class Utf8CtypeScope {
public:
    Utf8CtypeScope();
    ~Utf8CtypeScope();

    Utf8CtypeScope(const Utf8CtypeScope &) = delete;
    Utf8CtypeScope &operator=(const Utf8CtypeScope &) = delete;

private:
    locale_t utf8Locale_ = locale_t(nullptr);
    locale_t previousLocale_ = locale_t(nullptr);
};
