#pragma once
// Big-endian stream helpers, text conversions and the display base class
// shared by every tachograph record.
//
// Short reads are not errors: the bytes that are missing count as zero and
// the position never passes the end of the data. Callers that must reject
// truncated data check Remaining() themselves and throw ETachoError.

#include "uMemoryStream.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

// The one error type of the tachograph readers: what was being read, and where.
class ETachoError : public std::runtime_error {
public:
    ETachoError(const std::string& what, std::size_t offset);
    std::size_t Offset() const { return offset_; }
    // What was being read, without the offset.
    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
    std::size_t offset_;
};

// For the strict readers: throws ETachoError at the stream position unless n
// bytes remain there; what names the field being read.
void RequireBytes(const TMemoryStream& stream, std::size_t n, const std::string& what);

void ReadByte(TMemoryStream& stream, std::uint8_t& value);
void ReadWord(TMemoryStream& stream, std::uint16_t& value);
void ReadLongWord(TMemoryStream& stream, std::uint32_t& value);
// Reads n bytes into out; positions that the data does not reach become zero.
void ReadBytes(TMemoryStream& stream, std::uint8_t* out, std::size_t n);
template <std::size_t N> void ReadBytes(TMemoryStream& stream, std::uint8_t (&out)[N]) { ReadBytes(stream, out, N); }

void WriteByte(TMemoryStream& stream, std::uint8_t value);
void WriteWord(TMemoryStream& stream, std::uint16_t value);
void WriteLongWord(TMemoryStream& stream, std::uint32_t value);
void WriteBytes(TMemoryStream& stream, const std::uint8_t* bytes, std::size_t n);
template <std::size_t N> void WriteBytes(TMemoryStream& stream, const std::uint8_t (&bytes)[N]) { WriteBytes(stream, bytes, N); }

// Two upper-case hex digits and one blank per byte ("0A FF ").
std::string BytesToHex(std::span<const std::uint8_t> bytes);
// Every byte taken as one 8-bit character, then trimmed of codes <= 20h at both ends.
std::string BytesToText(std::span<const std::uint8_t> bytes);
// As BytesToText, skipping the leading code-page byte of a Name or registration.
std::string NameToText(std::span<const std::uint8_t> bytes);
// Removes every leading and trailing character whose code is 32 or below.
std::string Trim8(const std::string& text);

// Display value texts: exactly 2, 4 or 8 upper-case hex digits.
std::string Hex2(std::uint8_t value);
std::string Hex4(std::uint16_t value);
std::string Hex8(std::uint32_t value);

// 8-bit texts are Latin-1 here: each byte widens to the code point of the same value.
std::wstring Widen8(const std::string& text);

// Base of every tachograph record and file object: a node of the display tree.
class TvtInfoProvide {
public:
    TvtInfoProvide() = default;
    virtual ~TvtInfoProvide() = default;
    TvtInfoProvide(const TvtInfoProvide&) = delete;
    TvtInfoProvide& operator=(const TvtInfoProvide&) = delete;

    virtual int ItemCount() const = 0;
    // For 0 <= index < ItemCount(): the item's caption and its child object
    // (none for a leaf). An index out of range leaves both untouched.
    virtual void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const = 0;
};

// For GetItem: a leaf caption; an empty text means "index out of range,
// leave both untouched".
inline void SetLeaf(const std::string& text, std::wstring& caption, TvtInfoProvide*& child)
{
    if (text.empty())
        return;
    caption = Widen8(text);
    child = nullptr;
}

// For GetItem: a caption whose child is node.
inline void SetNode(const char* text, TvtInfoProvide* node, std::wstring& caption, TvtInfoProvide*& child)
{
    caption = Widen8(text);
    child = node;
}
