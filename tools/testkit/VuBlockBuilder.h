#pragma once
// Vehicle unit transfer responses as they follow 76h TREP in a download.
// The overview (TREP 01h) is built from its parts: the member state and VU
// certificates, the signed part (VIN to control activities) with chosen lock
// and control counts, and the signature. The other responses are filler for
// now; builders of their contents belong here.

#include "TestBytes.h"

#include <array>
#include <cstdint>
#include <string>

namespace pellkit::test {

using RawCertificate = std::array<std::uint8_t, 194>;
using SignatureBlock = std::array<std::uint8_t, 128>;

// What the signed part of an overview names; the rest is fixed.
struct OverviewFields {
    std::string vin = "WDB9634031L123456";
    std::uint8_t nation = 0x0D;
    std::string registration = "AB 123 CD";
    std::uint32_t currentDateTime = 86400;
    int locks = 0;
    int controls = 0;
};

// The signed part of an overview: VIN to control activities.
Bytes SignedPart(const OverviewFields& fields);
Bytes SignedPart(int locks, int controls, std::uint32_t currentDateTime = 86400);

// The overview block without its 76h 01h: certificates, then the signed
// part, then the signature.
Bytes MakeOverview(const RawCertificate& memberState, const RawCertificate& vu, const Bytes& signedPart,
                   const SignatureBlock& signature);
Bytes MakeOverview(int locks, int controls);

// The overview as a transfer response, 76h 01h included (2 + 621 bytes):
// no locks, no controls, certificates and signature zero.
Bytes MakeOverviewResponse(std::uint8_t nation, const std::string& registration, const std::string& vin,
                           std::uint32_t currentTime);

// A transfer response 76h TREP followed by size filler bytes.
Bytes MakeResponse(std::uint8_t trep, std::size_t size, std::uint8_t fill = 0x5A);

} // namespace pellkit::test
