#pragma once
// The byte vocabulary of the builders: big-endian numbers, padded texts and
// names, patterns and concatenation, so that a test spells out the bytes
// that matter and nothing else.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace pellkit::test {

using Bytes = std::vector<std::uint8_t>;

// value as width big-endian bytes (width 1 to 4).
void AppendBE(Bytes& out, std::uint32_t value, int width);
Bytes BE16(std::uint16_t value);
Bytes BE32(std::uint32_t value);

// text cut or padded with pad to exactly size bytes.
Bytes Padded(const std::string& text, std::size_t size, std::uint8_t pad = ' ');

// A 36-byte Name: code-page byte, then 35 characters padded with blanks.
Bytes NameField(const std::string& text, std::uint8_t codePage = 0x01);

// Bytes first, first + 1, ... (mod 256): every position differs from its neighbours.
Bytes Pattern(std::size_t size, std::uint8_t first = 1);

Bytes Concat(std::initializer_list<Bytes> parts);
void Append(Bytes& out, std::span<const std::uint8_t> more);

} // namespace pellkit::test
