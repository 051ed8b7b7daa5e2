#include "ContainerBuilder.h"

#include <string>
#include <utility>

namespace pellkit::test {

namespace {

constexpr std::size_t kOverviewFixed = 621; // the overview without locks and controls
constexpr std::size_t kLocksCountOffset = 2 + 491;
constexpr std::size_t kLockSize = 98;
constexpr std::size_t kControlSize = 31;

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
    Append(out, digits);
    return out;
}

Bytes MakeElement(std::uint8_t tag, std::span<const std::uint8_t> content)
{
    Bytes out{tag};
    Append(out, EncodeLength(content.size()));
    Append(out, content);
    return out;
}

Bytes MakeEntry(const TEntryParts& parts)
{
    Bytes content;
    for (const TPartBytes& p : parts)
        Append(content, MakeElement(p.tag, p.content));
    return MakeElement(0xF1, content);
}

Bytes MakeContainer(const std::vector<TEntryParts>& entries)
{
    Bytes body;
    for (const TEntryParts& e : entries)
        Append(body, MakeEntry(e));
    return MakeElement(0xF0, body);
}

TEntryParts CardEntry(std::span<const std::uint8_t> image)
{
    return {TPartBytes{0xA7, Bytes(image.begin(), image.end())}};
}

TEntryParts CardViaVuEntry(std::span<const std::uint8_t> image)
{
    Bytes content{0x76, 0x06};
    Append(content, image);
    return {TPartBytes{0xA6, std::move(content)}};
}

std::size_t OverviewLength(std::span<const std::uint8_t> d)
{
    if (d.size() < 2 || d[0] != 0x76 || d[1] != 0x01)
        throw EPackError("not a VU download: it does not start with the overview 76 01");
    if (d.size() <= kLocksCountOffset)
        throw EPackError("VU download of " + std::to_string(d.size()) +
                         " bytes is too short for its overview (the locks count is at byte " +
                         std::to_string(kLocksCountOffset) + ")");
    const std::size_t locks = d[kLocksCountOffset];
    const std::size_t controlsAt = kLocksCountOffset + 1 + kLockSize * locks;
    if (d.size() <= controlsAt)
        throw EPackError("VU download of " + std::to_string(d.size()) + " bytes is too short for the " +
                         std::to_string(locks) + " company locks its overview declares");
    const std::size_t controls = d[controlsAt];
    const std::size_t length = 2 + kOverviewFixed + kLockSize * locks + kControlSize * controls;
    if (d.size() < length)
        throw EPackError("VU download of " + std::to_string(d.size()) + " bytes is too short for its overview of " +
                         std::to_string(length) + " bytes (" + std::to_string(locks) + " locks, " +
                         std::to_string(controls) + " controls)");
    return length;
}

TEntryParts VuEntry(std::span<const std::uint8_t> download)
{
    const std::size_t n = OverviewLength(download);
    TEntryParts entry{TPartBytes{0xA1, Bytes(download.begin(), download.begin() + static_cast<std::ptrdiff_t>(n))}};
    if (n < download.size())
        entry.push_back(TPartBytes{0xA2, Bytes(download.begin() + static_cast<std::ptrdiff_t>(n), download.end())});
    return entry;
}

} // namespace pellkit::test
