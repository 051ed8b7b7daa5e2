#pragma once
// Field captions shared by the card records' GetItem implementations
// (SetLeaf and SetNode, for every record, are in u1bUtils.h).

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

} // namespace card1b
