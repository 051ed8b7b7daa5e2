#include "u1bUtils.h"

#include "uCertificates.h"

#include <cstring>

ETachoError::ETachoError(const std::string& what, std::size_t offset)
    : std::runtime_error(what + " at offset " + std::to_string(offset)), reason_(what), offset_(offset)
{
}

namespace {

template <std::size_t N> std::uint32_t ReadBigEndian(TMemoryStream& stream)
{
    std::uint8_t buffer[N] = {};
    stream.Read(buffer, N);
    std::uint32_t value = 0;
    for (std::uint8_t byte : buffer)
        value = (value << 8) | byte;
    return value;
}

template <std::size_t N> void WriteBigEndian(TMemoryStream& stream, std::uint32_t value)
{
    std::uint8_t buffer[N];
    for (std::size_t i = N; i-- > 0;) {
        buffer[i] = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    }
    stream.Write(buffer, N);
}

} // namespace

void RequireBytes(const TMemoryStream& stream, std::size_t n, const std::string& what)
{
    if (stream.Remaining() < n)
        throw ETachoError(what + ": " + std::to_string(n) + " bytes needed, " + std::to_string(stream.Remaining()) +
                              " left",
                          stream.Position());
}

void ReadByte(TMemoryStream& stream, std::uint8_t& value) { value = static_cast<std::uint8_t>(ReadBigEndian<1>(stream)); }
void ReadWord(TMemoryStream& stream, std::uint16_t& value) { value = static_cast<std::uint16_t>(ReadBigEndian<2>(stream)); }
void ReadLongWord(TMemoryStream& stream, std::uint32_t& value) { value = ReadBigEndian<4>(stream); }

void ReadBytes(TMemoryStream& stream, std::uint8_t* out, std::size_t n)
{
    const std::size_t got = stream.Read(out, n);
    if (got < n)
        std::memset(out + got, 0, n - got);
}

void WriteByte(TMemoryStream& stream, std::uint8_t value) { WriteBigEndian<1>(stream, value); }
void WriteWord(TMemoryStream& stream, std::uint16_t value) { WriteBigEndian<2>(stream, value); }
void WriteLongWord(TMemoryStream& stream, std::uint32_t value) { WriteBigEndian<4>(stream, value); }
void WriteBytes(TMemoryStream& stream, const std::uint8_t* bytes, std::size_t n) { stream.Write(bytes, n); }

std::string BytesToHex(std::span<const std::uint8_t> bytes) { return HexText(bytes, " "); }

std::string Trim8(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20)
        --end;
    return text.substr(begin, end - begin);
}

std::string BytesToText(std::span<const std::uint8_t> bytes)
{
    return Trim8(std::string(bytes.begin(), bytes.end()));
}

std::string NameToText(std::span<const std::uint8_t> bytes)
{
    return bytes.empty() ? std::string() : BytesToText(bytes.subspan(1));
}

std::string Hex2(std::uint8_t value)
{
    const std::uint8_t bytes[] = {value};
    return HexText(bytes);
}

std::string Hex4(std::uint16_t value)
{
    const std::uint8_t bytes[] = {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    return HexText(bytes);
}

std::string Hex8(std::uint32_t value)
{
    const std::uint8_t bytes[] = {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                                  static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    return HexText(bytes);
}

std::wstring Widen8(const std::string& text)
{
    std::wstring wide;
    wide.reserve(text.size());
    for (char c : text)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return wide;
}
