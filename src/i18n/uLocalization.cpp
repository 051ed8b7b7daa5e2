#include "uLocalization.h"

#include <atomic>

namespace {
std::atomic<int> gCurrentLanguage{0};
}

int CurrentLanguage()
{
    return gCurrentLanguage.load(std::memory_order_relaxed);
}

void SetCurrentLanguage(int code)
{
    gCurrentLanguage.store(code, std::memory_order_relaxed);
}

std::uint8_t LanguageCharset(int code)
{
    switch (code) {
    case 11: return lang::GreekCharset;
    case 17:
    case 18:
    case 20: return lang::BalticCharset;
    case 19: return lang::RussianCharset;
    default: return lang::DefaultCharset;
    }
}

int LanguageOfLocale(std::string_view locale)
{
    const std::size_t end = locale.find_first_of("_.@-");
    const std::string_view language = locale.substr(0, end);
    // Norwegian Nynorsk and the bare macro-language read Bokmål best.
    if (language == "no" || language == "nn")
        return 15;
    for (const lang::TLanguage& l : lang::kLanguages) {
        const std::string_view own(l.locale);
        if (language.size() == 2 && own.substr(0, 2) == language)
            return l.code;
    }
    return 0;
}
