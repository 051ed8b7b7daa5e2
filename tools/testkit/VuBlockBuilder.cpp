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

std::uint16_t ActivityChange(int slot, bool crew, bool notInserted, int activity, int minute)
{
    return static_cast<std::uint16_t>((slot & 1) << 15 | (crew ? 1 : 0) << 14 | (notInserted ? 1 : 0) << 13 |
                                      (activity & 3) << 11 | (minute & 0x7FF));
}

Bytes CardIWRecord(const CardIWFields& c)
{
    Bytes b = Concat({NameField(c.surname, c.codePage), NameField(c.firstNames, c.codePage),
                      CardNumber(0x01, c.nation, c.cardNumber), BE32(c.expiry), BE32(c.insertion)});
    AppendBE(b, c.odometerAtInsertion, 3);
    b.push_back(c.slot);
    Append(b, BE32(c.withdrawal));
    AppendBE(b, c.odometerAtWithdrawal, 3);
    Append(b, Concat({Bytes{c.nation, c.codePage}, Padded(c.previousRegistration, 13), BE32(c.previousWithdrawal)}));
    b.push_back(c.manualInput);
    return b;
}

Bytes ActivitiesData(const ActivitiesFields& s)
{
    Bytes b = BE32(s.day);
    AppendBE(b, s.odometerMidnight, 3);
    Append(b, BE16(static_cast<std::uint16_t>(s.cards.size())));
    for (const CardIWFields& card : s.cards)
        Append(b, CardIWRecord(card));
    Append(b, BE16(static_cast<std::uint16_t>(s.changes.size())));
    for (std::uint16_t change : s.changes)
        Append(b, BE16(change));
    b.push_back(static_cast<std::uint8_t>(s.places));
    for (int i = 0; i < s.places; ++i) {
        Append(b, Concat({CardNumber(0x01, 0x0D, "D000000000000100"), BE32(s.day + 3600u * static_cast<std::uint32_t>(i)),
                          Bytes{static_cast<std::uint8_t>(i % 2), 0x0D, 0x00}}));
        AppendBE(b, 1000u + static_cast<std::uint32_t>(i), 3);
    }
    Append(b, BE16(static_cast<std::uint16_t>(s.conditions)));
    for (int i = 0; i < s.conditions; ++i)
        Append(b, Concat({BE32(s.day + 60u * static_cast<std::uint32_t>(i)), Bytes{static_cast<std::uint8_t>(1 + i % 3)}}));
    return b;
}

Bytes EventsFaultsData(int faults, int events, int overSpeedingEvents, int timeAdjustments)
{
    const Bytes cards = Concat({CardNumber(0x01, 0x0D, "D000000000000100"), CardNumber(0, 0, ""),
                                CardNumber(0x01, 0x0D, "D000000000000100"), CardNumber(0, 0, "")});
    Bytes b{static_cast<std::uint8_t>(faults)};
    for (int i = 0; i < faults; ++i)
        Append(b, Concat({Bytes{0x35, 0x00}, BE32(kDay + 100u * static_cast<std::uint32_t>(i)),
                          BE32(kDay + 100u * static_cast<std::uint32_t>(i) + 50), cards}));
    b.push_back(static_cast<std::uint8_t>(events));
    for (int i = 0; i < events; ++i)
        Append(b, Concat({Bytes{0x08, 0x01}, BE32(kDay + 200u * static_cast<std::uint32_t>(i)),
                          BE32(kDay + 200u * static_cast<std::uint32_t>(i) + 60), cards, Bytes{0x02}}));
    Append(b, Concat({BE32(kDay - 86400), BE32(kDay + 7200), Bytes{static_cast<std::uint8_t>(overSpeedingEvents)}}));
    b.push_back(static_cast<std::uint8_t>(overSpeedingEvents));
    for (int i = 0; i < overSpeedingEvents; ++i)
        Append(b, Concat({Bytes{0x07, 0x01}, BE32(kDay + 300u * static_cast<std::uint32_t>(i)),
                          BE32(kDay + 300u * static_cast<std::uint32_t>(i) + 90), Bytes{97, 91},
                          CardNumber(0x01, 0x0D, "D000000000000100"), Bytes{0x01}}));
    b.push_back(static_cast<std::uint8_t>(timeAdjustments));
    for (int i = 0; i < timeAdjustments; ++i)
        Append(b, Concat({BE32(kDay + 400u * static_cast<std::uint32_t>(i)), BE32(kDay + 400u * static_cast<std::uint32_t>(i) + 30),
                          NameField("WORKSHOP"), NameField("STREET 1"), CardNumber(0x02, 0x0D, "W000000000000001")}));
    return b;
}

Bytes DetailedSpeedData(std::uint32_t begin, int blocks)
{
    Bytes b = BE16(static_cast<std::uint16_t>(blocks));
    for (int i = 0; i < blocks; ++i) {
        Append(b, BE32(begin + 60u * static_cast<std::uint32_t>(i)));
        Append(b, Pattern(60, static_cast<std::uint8_t>(i)));
    }
    return b;
}

Bytes TechnicalData(int calibrations)
{
    Bytes b = Concat({NameField("MAKER"), NameField("MAKER ROAD 1"), Padded("PART-0001", 16),
                      BE32(123456), Bytes{0x01, 0x20, 0x06, 0x01}, // serial, month/year, type, maker
                      Padded("0102", 4), BE32(kDay - 86400 * 400), BE32(kDay - 86400 * 500), Padded("e1-0001", 8)});
    Append(b, Concat({BE32(654321), Bytes{0x02, 0x20, 0x07, 0x01}, Padded("e1-0002", 8), BE32(kDay - 86400 * 450)}));
    b.push_back(static_cast<std::uint8_t>(calibrations));
    for (int i = 0; i < calibrations; ++i) {
        Append(b, Concat({Bytes{static_cast<std::uint8_t>(1 + i % 4)}, NameField("WORKSHOP"), NameField("STREET 1"),
                          CardNumber(0x02, 0x0D, "W000000000000001"), BE32(kDay + 86400 * 365),
                          Padded("WDB9634031L123456", 17), Bytes{0x0D, 0x01}, Padded("AB 123 CD", 13), BE16(8000),
                          BE16(8000), BE16(25000), Padded("315/80 R 22.5", 15), Bytes{90}}));
        AppendBE(b, 1000u * static_cast<std::uint32_t>(i), 3);
        AppendBE(b, 1000u * static_cast<std::uint32_t>(i) + 5, 3);
        Append(b, Concat({BE32(kDay - 86400u * static_cast<std::uint32_t>(i)), BE32(kDay - 86400u * static_cast<std::uint32_t>(i) + 10),
                          BE32(kDay + 86400 * 700)}));
    }
    return b;
}

Bytes MakeTransferResponse(std::uint8_t trep, const Bytes& data, const SignatureBlock& signature)
{
    Bytes r{0x76, trep};
    Append(r, data);
    Append(r, signature);
    return r;
}

} // namespace pellkit::test
