#include "VuBlockBuilder.h"

namespace pellkit::test {

namespace {

Bytes CardNumber(std::uint8_t type, std::uint8_t nation, const std::string& number)
{
    return Concat({Bytes{type, nation}, Padded(number, 16)});
}

} // namespace

Bytes SignedPart(const OverviewFields& f)
{
    Bytes b = Concat({Padded(f.vin, 17), Bytes{f.nation, 0x01}, Padded(f.registration, 13), BE32(f.currentDateTime),
                      BE32(0x11111111),  // min downloadable
                      BE32(0x22222222),  // max downloadable
                      Bytes{0x21},       // card slots
                      BE32(0x33333333),  // downloading time
                      CardNumber(0x04, 0x0D, "C0000000000001"), NameField("WORKSHOP")});
    b.push_back(static_cast<std::uint8_t>(f.locks));
    for (int i = 0; i < f.locks; ++i) {
        const auto n = static_cast<std::uint32_t>(i);
        Append(b, Concat({BE32(0x40000000u + n), BE32(0x50000000u + n), NameField("COMPANY"), NameField("STREET"),
                          CardNumber(0x03, 0x0D, "K000000000000" + std::to_string(i))}));
    }
    b.push_back(static_cast<std::uint8_t>(f.controls));
    for (int i = 0; i < f.controls; ++i)
        Append(b, Concat({Bytes{0x80}, BE32(0x60000000u + static_cast<std::uint32_t>(i)),
                          CardNumber(0x02, 0x0D, "T0000000000001"), BE32(0x70000000), BE32(0x70000001)}));
    return b;
}

Bytes SignedPart(int locks, int controls, std::uint32_t currentDateTime)
{
    return SignedPart({.currentDateTime = currentDateTime, .locks = locks, .controls = controls});
}

Bytes MakeOverview(const RawCertificate& memberState, const RawCertificate& vu, const Bytes& signedPart,
                   const SignatureBlock& signature)
{
    Bytes b(memberState.begin(), memberState.end());
    Append(b, vu);
    Append(b, signedPart);
    Append(b, signature);
    return b;
}

Bytes MakeOverview(int locks, int controls) { return MakeOverview({}, {}, SignedPart(locks, controls), {}); }

Bytes MakeOverviewResponse(std::uint8_t nation, const std::string& registration, const std::string& vin,
                           std::uint32_t currentTime)
{
    return Concat({Bytes{0x76, 0x01},
                   MakeOverview({}, {},
                                SignedPart({.vin = vin,
                                            .nation = nation,
                                            .registration = registration,
                                            .currentDateTime = currentTime}),
                                {})});
}

Bytes MakeResponse(std::uint8_t trep, std::size_t size, std::uint8_t fill)
{
    Bytes r{0x76, trep};
    r.resize(2 + size, fill);
    return r;
}

} // namespace pellkit::test
