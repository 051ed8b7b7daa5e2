#include "SimPack.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t kOverviewFixed = 621;      // the overview without locks and controls
constexpr std::size_t kLocksCountOffset = 2 + 491;
constexpr std::size_t kLockSize = 98;
constexpr std::size_t kControlSize = 31;

void Put(Bytes& out, std::initializer_list<std::uint8_t> bytes) { out.insert(out.end(), bytes); }

void PutWord(Bytes& out, std::uint16_t v) { Put(out, {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)}); }

void PutLong(Bytes& out, std::uint32_t v)
{
    Put(out, {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
              static_cast<std::uint8_t>(v)});
}

// Text padded with blanks (or cut) to n bytes.
void PutText(Bytes& out, const std::string& text, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0x20);
}

// A Name: code page 1 (Latin-1), then 35 characters.
void PutName(Bytes& out, const std::string& text)
{
    out.push_back(0x01);
    PutText(out, text, 35);
}

void PutFile(Bytes& out, std::uint16_t fid, const Bytes& body)
{
    PutWord(out, fid);
    out.push_back(0x00);  // data block
    PutWord(out, static_cast<std::uint16_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

} // namespace

Bytes EncodeLength(std::size_t length)
{
    if (length < 0x80)
        return {static_cast<std::uint8_t>(length)};
    Bytes digits;
    for (std::size_t v = length; v != 0; v >>= 8)
        digits.insert(digits.begin(), static_cast<std::uint8_t>(v & 0xFF));
    if (digits.size() > 4)
        throw EPackError("element of " + std::to_string(length) + " bytes is too large for a data file");
    Bytes out{static_cast<std::uint8_t>(0x80 | digits.size())};
    out.insert(out.end(), digits.begin(), digits.end());
    return out;
}

Bytes MakeElement(std::uint8_t tag, std::span<const std::uint8_t> content)
{
    Bytes out{tag};
    const Bytes len = EncodeLength(content.size());
    out.insert(out.end(), len.begin(), len.end());
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

Bytes PackContainer(const std::vector<PackEntry>& entries)
{
    Bytes body;
    for (const PackEntry& entry : entries) {
        Bytes parts;
        for (const PackPart& p : entry) {
            const Bytes part = MakeElement(p.tag, p.content);
            parts.insert(parts.end(), part.begin(), part.end());
        }
        const Bytes e = MakeElement(0xF1, parts);
        body.insert(body.end(), e.begin(), e.end());
    }
    return MakeElement(0xF0, body);
}

PackEntry CardEntry(std::span<const std::uint8_t> image)
{
    return {PackPart{0xA7, Bytes(image.begin(), image.end())}};
}

PackEntry CardViaVuEntry(std::span<const std::uint8_t> image)
{
    Bytes content{0x76, 0x06};
    content.insert(content.end(), image.begin(), image.end());
    return {PackPart{0xA6, std::move(content)}};
}

std::size_t OverviewLength(std::span<const std::uint8_t> d)
{
    if (d.size() < 2 || d[0] != 0x76 || d[1] != 0x01)
        throw EPackError("not a VU download: it does not start with the overview 76 01");
    if (d.size() <= kLocksCountOffset)
        throw EPackError("VU download of " + std::to_string(d.size()) + " bytes is too short for its overview (the locks count is at byte " +
                         std::to_string(kLocksCountOffset) + ")");
    const std::size_t locks = d[kLocksCountOffset];
    const std::size_t controlsAt = kLocksCountOffset + 1 + kLockSize * locks;
    if (d.size() <= controlsAt)
        throw EPackError("VU download of " + std::to_string(d.size()) + " bytes is too short for the " + std::to_string(locks) +
                         " company locks its overview declares");
    const std::size_t controls = d[controlsAt];
    const std::size_t length = 2 + kOverviewFixed + kLockSize * locks + kControlSize * controls;
    if (d.size() < length)
        throw EPackError("VU download of " + std::to_string(d.size()) + " bytes is too short for its overview of " +
                         std::to_string(length) + " bytes (" + std::to_string(locks) + " locks, " +
                         std::to_string(controls) + " controls)");
    return length;
}

PackEntry VuEntry(std::span<const std::uint8_t> download)
{
    const std::size_t n = OverviewLength(download);
    PackEntry entry{PackPart{0xA1, Bytes(download.begin(), download.begin() + static_cast<std::ptrdiff_t>(n))}};
    if (n < download.size())
        entry.push_back(PackPart{0xA2, Bytes(download.begin() + static_cast<std::ptrdiff_t>(n), download.end())});
    return entry;
}

Bytes SyntheticCardImage(int index)
{
    // 2024-01-15 08:30:00 UTC; the card dates around it.
    constexpr std::uint32_t kLastDownload = 1705307400;
    constexpr std::uint32_t kIssued = 1672531200;   // 2023-01-01
    constexpr std::uint32_t kExpires = 1830297600;  // 2028-01-01

    Bytes application;
    application.push_back(0x01);    // driver card
    PutWord(application, 0x0100);   // structure version
    application.push_back(0);       // events per type
    application.push_back(0);       // faults per type
    PutWord(application, 0);        // activity structure length
    PutWord(application, 0);        // vehicle records
    application.push_back(0);       // place records

    char number[17];
    std::snprintf(number, sizeof number, "SIM%011d00", std::clamp(index, 0, 99999999));
    Bytes identification;
    identification.push_back(0x11);  // issuing member state
    PutText(identification, number, 16);
    PutName(identification, "SIMULATED CARD AUTHORITY");
    PutLong(identification, kIssued);
    PutLong(identification, kIssued);
    PutLong(identification, kExpires);
    PutName(identification, "SIMULATED");
    PutName(identification, "TEST DRIVER");
    Put(identification, {0x19, 0x70, 0x01, 0x01});  // birth date, BCD
    PutText(identification, "en", 2);

    Bytes download;
    PutLong(download, kLastDownload);

    Bytes image;
    PutFile(image, 0x0501, application);
    PutFile(image, 0x0520, identification);
    PutFile(image, 0x050E, download);
    return image;
}
