#pragma once
// A hard check for the fuzz targets: it holds in every build type, tells what
// failed, and libFuzzer reports it as a crash with the input.

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

// Decoded texts must be well-formed UTF-8 (one to three bytes a character:
// the code pages decode into the Basic Multilingual Plane).
inline bool Utf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 0;
        if (n == 0 || i + n > text.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2)
                return false;
        i += n;
    }
    return true;
}
