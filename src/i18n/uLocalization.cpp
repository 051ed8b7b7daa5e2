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
