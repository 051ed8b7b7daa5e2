// The big-endian readers and writers, the short-read-is-zero rule and the
// text conversions, as one table.
#include "u1bUtils.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Pos(const TMemoryStream& s) { return " pos=" + std::to_string(s.Position()); }

template <class Value, class Reader> std::string ReadAt(Bytes bytes, std::size_t position, Reader reader)
{
    TMemoryStream stream(std::move(bytes));
    stream.SetPosition(position);
    Value value = 0;
    reader(stream, value);
    return std::to_string(value) + Pos(stream);
}

template <class Writer> std::string Written(Writer writer)
{
    TMemoryStream stream;
    writer(stream);
    return BytesToHex(stream.Bytes()) + Pos(stream);
}

struct Case {
    const char* name;
    std::function<std::string()> actual;
    std::string expected;
};

const Case kCases[] = {
    {"ReadWord is big-endian",
     [] { return ReadAt<std::uint16_t>({0x12, 0x34}, 0, ReadWord); }, "4660 pos=2"},
    {"ReadLongWord is big-endian",
     [] { return ReadAt<std::uint32_t>({0x12, 0x34, 0x56, 0x78}, 0, ReadLongWord); }, "305419896 pos=4"},
    {"ReadByte then the next byte",
     [] { return ReadAt<std::uint8_t>({0x12, 0xFE}, 1, ReadByte); }, "254 pos=2"},
    {"ReadWord with one byte left: that byte times 256, position at the end",
     [] { return ReadAt<std::uint16_t>({0x00, 0x12}, 1, ReadWord); }, "4608 pos=2"},
    {"ReadLongWord with two bytes left: missing low bytes are zero",
     [] { return ReadAt<std::uint32_t>({0x12, 0x34}, 0, ReadLongWord); }, "305397760 pos=2"},
    {"ReadByte at the end yields zero and does not move",
     [] { return ReadAt<std::uint8_t>({0x12}, 1, ReadByte); }, "0 pos=1"},
    {"a read past the end after a seek there does not move",
     [] { return ReadAt<std::uint16_t>({0x12}, 7, ReadWord); }, "0 pos=7"},
    {"ReadBytes short: the rest of the field is zero, even if it held data",
     [] {
         TMemoryStream stream(Bytes{0xAA, 0xBB});
         std::uint8_t field[4] = {9, 9, 9, 9};
         ReadBytes(stream, field);
         return BytesToHex(field) + Pos(stream);
     },
     "AA BB 00 00  pos=2"},
    {"WriteLongWord writes most significant first",
     [] { return Written([](TMemoryStream& s) { WriteLongWord(s, 0x12345678); }); }, "12 34 56 78  pos=4"},
    {"WriteWord then WriteByte",
     [] { return Written([](TMemoryStream& s) { WriteWord(s, 0xA1B2); WriteByte(s, 0x07); }); }, "A1 B2 07  pos=3"},
    {"WriteBytes writes the field unchanged",
     [] {
         const std::uint8_t field[3] = {0x00, 0xFF, 0x10};
         return Written([&](TMemoryStream& s) { WriteBytes(s, field); });
     },
     "00 FF 10  pos=3"},
    {"a write past the end fills the gap with zeros",
     [] {
         return Written([](TMemoryStream& s) {
             s.SetPosition(2);
             WriteByte(s, 0x77);
         });
     },
     "00 00 77  pos=3"},
    {"BytesToHex: two digits and a blank per byte", [] { return BytesToHex(Bytes{0x0A, 0xFF}); }, "0A FF "},
    {"BytesToHex of nothing is empty", [] { return BytesToHex(Bytes{}); }, ""},
    {"BytesToText drops trailing blanks", [] { return BytesToText(Bytes{'E', '1', '2', ' ', ' ', ' '}); }, "E12"},
    {"BytesToText drops trailing NULs and leading control codes",
     [] { return BytesToText(Bytes{0x09, 'E', '1', '2', 0, 0, 0}); }, "E12"},
    {"BytesToText keeps a NUL inside the text",
     [] { return BytesToText(Bytes{'A', 0, 'B', ' '}); }, std::string("A\0B", 3)},
    {"BytesToText keeps bytes above 7Fh at the edges", [] { return BytesToText(Bytes{0xD1, 'A', 0xD1}); },
     "\xD1" "A" "\xD1"},
    {"NameToText skips the code-page byte 01h",
     [] { return NameToText(Bytes{0x01, 'S', 'M', 'I', 'T', 'H', ' ', ' '}); }, "SMITH"},
    {"NameToText skips a printable code-page byte too",
     [] { return NameToText(Bytes{'X', 'S', 'M', 'I', 'T', 'H'}); }, "SMITH"},
    {"a Name of blanks and NULs is empty", [] { return NameToText(Bytes{0x01, ' ', 0, ' ', 0}); }, ""},
    {"NameToText of nothing is empty", [] { return NameToText(Bytes{}); }, ""},
    {"Hex8 of 0 is eight zeros", [] { return Hex8(0); }, "00000000"},
    {"Hex2 of 5", [] { return Hex2(5); }, "05"},
    {"Hex4 is upper case", [] { return Hex4(0xabcd); }, "ABCD"},
    {"ETachoError names what and where", [] { return std::string(ETachoError("stream read error", 42).what()); },
     "stream read error at offset 42"},
};

TEST(ByteReader, Cases)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.actual(), c.expected);
    }
}

TEST(ByteReader, Widen8TakesBytesAsLatin1)
{
    EXPECT_EQ(Widen8("\xD1" "a"), std::wstring(L"\u00D1a"));
}

} // namespace
