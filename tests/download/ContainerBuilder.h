#pragma once
// Hand-made data files: MakeContainer({ {{0xA2, bytes}, ...}, ... }) gives
// F0h len F1h L parts... with the shortest lengths of the length rule.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pellkit::test {

using Bytes = std::vector<std::uint8_t>;

struct TPartSpec {
    std::uint8_t tag;
    Bytes bytes;
};
using TEntrySpec = std::vector<TPartSpec>;

inline Bytes EncodeLength(std::uint32_t length)
{
    if (length < 0x80)
        return {static_cast<std::uint8_t>(length)};
    Bytes digits;
    for (std::uint32_t v = length; v != 0; v >>= 8)
        digits.insert(digits.begin(), static_cast<std::uint8_t>(v & 0xFF));
    digits.insert(digits.begin(), static_cast<std::uint8_t>(0x80 | digits.size()));
    return digits;
}

inline void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

inline Bytes MakeEntry(const TEntrySpec& parts)
{
    Bytes content;
    for (const TPartSpec& p : parts) {
        content.push_back(p.tag);
        Append(content, EncodeLength(static_cast<std::uint32_t>(p.bytes.size())));
        Append(content, p.bytes);
    }
    Bytes entry{0xF1};
    Append(entry, EncodeLength(static_cast<std::uint32_t>(content.size())));
    Append(entry, content);
    return entry;
}

inline Bytes MakeContainer(const std::vector<TEntrySpec>& entries)
{
    Bytes body;
    for (const TEntrySpec& e : entries)
        Append(body, MakeEntry(e));
    Bytes file{0xF0};
    Append(file, EncodeLength(static_cast<std::uint32_t>(body.size())));
    Append(file, body);
    return file;
}

// A transfer response 76h TREP followed by size filler bytes.
inline Bytes MakeResponse(std::uint8_t trep, std::size_t size, std::uint8_t fill = 0x5A)
{
    Bytes r{0x76, trep};
    r.resize(2 + size, fill);
    return r;
}

inline void PutText(Bytes& out, std::size_t at, const std::string& text, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        out[at + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0x20;
}

inline void PutLong(Bytes& out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// An overview block 76h 01h without locks or controls (2 + 621 bytes).
inline Bytes MakeOverview(std::uint8_t nation, const std::string& registration, const std::string& vin,
                          std::uint32_t currentTime)
{
    Bytes r{0x76, 0x01};
    r.resize(2 + 621, 0);
    const std::size_t body = 2 + 194 + 194;
    PutText(r, body, vin, 17);
    r[body + 17] = nation;
    r[body + 18] = 0x01;  // code page
    PutText(r, body + 19, registration, 13);
    PutLong(r, body + 32, currentTime);
    return r;
}

// A card image of elementary file blocks (FID, kind 0, length, body): the
// identification file when a card number is given, EF_Card_Download when a
// last download time is given, and filler blocks of an unknown FID up to
// padTo bytes (they make the image long enough to be kept).
struct TCardSpec {
    std::uint8_t nation = 0x0F;
    std::string cardNumber = "ES00000000000001";
    std::string surname = "SURNAME";
    std::string firstNames = "FIRST";
    bool identification = true;
    std::optional<std::uint32_t> lastDownload;
    std::size_t padTo = 200;

    TCardSpec& Nation(std::uint8_t v) { nation = v; return *this; }
    TCardSpec& Number(std::string v) { cardNumber = std::move(v); return *this; }
    TCardSpec& Holder(std::string sur, std::string first) { surname = std::move(sur); firstNames = std::move(first); return *this; }
    TCardSpec& NoIdentification() { identification = false; return *this; }
    TCardSpec& LastDownload(std::uint32_t v) { lastDownload = v; return *this; }
    TCardSpec& PadTo(std::size_t v) { padTo = v; return *this; }
};

inline void AppendBlock(Bytes& out, std::uint16_t fid, const Bytes& body)
{
    out.push_back(static_cast<std::uint8_t>(fid >> 8));
    out.push_back(static_cast<std::uint8_t>(fid & 0xFF));
    out.push_back(0x00);
    out.push_back(static_cast<std::uint8_t>(body.size() >> 8));
    out.push_back(static_cast<std::uint8_t>(body.size() & 0xFF));
    Append(out, body);
}

inline Bytes MakeCardImage(const TCardSpec& fixture)
{
    Bytes image;
    if (fixture.identification) {
        Bytes ident(143, 0);
        ident[0] = fixture.nation;
        PutText(ident, 1, fixture.cardNumber, 16);
        ident[65] = 0x01;
        PutText(ident, 66, fixture.surname, 35);
        ident[101] = 0x01;
        PutText(ident, 102, fixture.firstNames, 35);
        AppendBlock(image, 0x0520, ident);
    }
    if (fixture.lastDownload) {
        Bytes download(4, 0);
        PutLong(download, 0, *fixture.lastDownload);
        AppendBlock(image, 0x050E, download);
    }
    // ICC blocks (25 bytes) fill up to the size asked for.
    while (image.size() + 30 <= fixture.padTo)
        AppendBlock(image, 0x0002, Bytes(25, static_cast<std::uint8_t>(image.size())));
    return image;
}

} // namespace pellkit::test
