#pragma once
// VU overview blocks built in code: the signed part with chosen lock and
// control counts, framed by two certificates and a signature.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace overviewkit {

using Bytes = std::vector<std::uint8_t>;

inline void Put32(Bytes& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void PutText(Bytes& out, const std::string& text, std::size_t size, int codePage = -1)
{
    if (codePage >= 0)
        out.push_back(static_cast<std::uint8_t>(codePage));
    std::string padded = text;
    padded.resize(size - (codePage >= 0 ? 1 : 0), ' ');
    out.insert(out.end(), padded.begin(), padded.end());
}

inline void PutCardNumber(Bytes& out, std::uint8_t type, std::uint8_t nation, const std::string& number)
{
    out.push_back(type);
    out.push_back(nation);
    PutText(out, number, 16);
}

// The signed part of an overview: VIN to control activities.
inline Bytes SignedPart(int locks, int controls, std::uint32_t currentDateTime = 86400)
{
    Bytes b;
    PutText(b, "WDB9634031L123456", 17);
    b.push_back(0x0D);
    PutText(b, "AB 123 CD", 14, 0x01);
    Put32(b, currentDateTime);
    Put32(b, 0x11111111);          // min downloadable
    Put32(b, 0x22222222);          // max downloadable
    b.push_back(0x21);             // card slots
    Put32(b, 0x33333333);          // downloading time
    PutCardNumber(b, 0x04, 0x0D, "C0000000000001");
    PutText(b, "WORKSHOP", 36, 0x01);
    b.push_back(static_cast<std::uint8_t>(locks));
    for (int i = 0; i < locks; ++i) {
        Put32(b, 0x40000000u + static_cast<std::uint32_t>(i));
        Put32(b, 0x50000000u + static_cast<std::uint32_t>(i));
        PutText(b, "COMPANY", 36, 0x01);
        PutText(b, "STREET", 36, 0x01);
        PutCardNumber(b, 0x03, 0x0D, "K000000000000" + std::to_string(i));
    }
    b.push_back(static_cast<std::uint8_t>(controls));
    for (int i = 0; i < controls; ++i) {
        b.push_back(0x80);
        Put32(b, 0x60000000u + static_cast<std::uint32_t>(i));
        PutCardNumber(b, 0x02, 0x0D, "T0000000000001");
        Put32(b, 0x70000000);
        Put32(b, 0x70000001);
    }
    return b;
}

using Raw = std::array<std::uint8_t, 194>;
using Block = std::array<std::uint8_t, 128>;

// Certificates, then the signed part, then the signature.
inline Bytes MakeOverview(const Raw& ms, const Raw& vu, const Bytes& signedPart, const Block& signature)
{
    Bytes b(ms.begin(), ms.end());
    b.insert(b.end(), vu.begin(), vu.end());
    b.insert(b.end(), signedPart.begin(), signedPart.end());
    b.insert(b.end(), signature.begin(), signature.end());
    return b;
}

inline Bytes MakeOverview(int locks, int controls) { return MakeOverview({}, {}, SignedPart(locks, controls), {}); }

} // namespace overviewkit
