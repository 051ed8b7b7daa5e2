#pragma once
// Caption helpers shared by the card records' GetItem implementations.

#include "u1bUtils.h"

#include <cstdint>
#include <string>

namespace card1b {

inline std::string Field(const char* label, std::uint8_t value) { return label + Hex2(value); }
inline std::string Field(const char* label, std::uint16_t value) { return label + Hex4(value); }
inline std::string Field(const char* label, std::uint32_t value) { return label + Hex8(value); }
template <std::size_t N> std::string Field(const char* label, const std::uint8_t (&bytes)[N])
{
    return label + BytesToHex(bytes);
}

// Sets a leaf caption; an empty text means "index out of range, leave both untouched".
inline void SetLeaf(const std::string& text, std::wstring& caption, TvtInfoProvide*& child)
{
    if (text.empty())
        return;
    caption = Widen8(text);
    child = nullptr;
}

inline void SetNode(const char* text, TvtInfoProvide* node, std::wstring& caption, TvtInfoProvide*& child)
{
    caption = Widen8(text);
    child = node;
}

} // namespace card1b
