#include "CardImageBuilder.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace pellkit::test {

CardImageBuilder& CardImageBuilder::AddFile(std::uint16_t fid, std::uint8_t kind, const Bytes& body, int announced)
{
    AppendBE(image_, fid, 2);
    image_.push_back(kind);
    AppendBE(image_, announced < 0 ? static_cast<std::uint32_t>(body.size()) : static_cast<std::uint32_t>(announced), 2);
    Append(image_, body);
    return *this;
}

CardImageBuilder& CardImageBuilder::AddSignature(std::uint16_t fid, std::uint8_t fill)
{
    return AddFile(fid, 1, Bytes(128, fill));
}

CardImageBuilder& CardImageBuilder::AddSigned(std::uint16_t fid, const Bytes& body, std::uint8_t fill)
{
    return AddFile(fid, 0, body).AddSignature(fid, fill);
}

CardImageBuilder& CardImageBuilder::AddRaw(const Bytes& bytes)
{
    Append(image_, bytes);
    return *this;
}

Bytes CardImageBuilder::ApplicationIdentificationBody(const ApplicationCounts& c)
{
    Bytes body{c.typeOfTachographCardId};
    AppendBE(body, c.cardStructureVersion, 2);
    body.push_back(c.noOfEventsPerType);
    body.push_back(c.noOfFaultsPerType);
    AppendBE(body, c.activityStructureLength, 2);
    AppendBE(body, c.noOfCardVehicleRecords, 2);
    body.push_back(c.noOfCardPlaceRecords);
    return body;
}

CardImageBuilder& CardImageBuilder::AddApplicationIdentification(const ApplicationCounts& counts)
{
    return AddFile(0x0501, 0, ApplicationIdentificationBody(counts));
}

Bytes CardImageBuilder::IdentificationBody(const CardIdentification& id)
{
    return Concat({Bytes{id.nation}, Padded(id.cardNumber, 16), NameField(id.authority), BE32(id.issueDate),
                   BE32(id.validityBegin), BE32(id.expiryDate), NameField(id.surname), NameField(id.firstNames),
                   BE32(id.birthDate), Padded(id.language, 2)});
}

Bytes CardImageBuilder::IdentificationBody(std::uint8_t nation, const std::string& cardNumber,
                                           const std::string& surname, const std::string& firstNames)
{
    return IdentificationBody({.nation = nation, .cardNumber = cardNumber, .surname = surname, .firstNames = firstNames});
}

CardImageBuilder& CardImageBuilder::AddIdentification(const CardIdentification& id)
{
    return AddFile(0x0520, 0, IdentificationBody(id));
}

CardImageBuilder& CardImageBuilder::AddIdentification(std::uint8_t nation, const std::string& cardNumber,
                                                      const std::string& surname, const std::string& firstNames)
{
    return AddFile(0x0520, 0, IdentificationBody(nation, cardNumber, surname, firstNames));
}

CardImageBuilder& CardImageBuilder::AddCardDownload(std::uint32_t time) { return AddFile(0x050E, 0, BE32(time)); }

CardImageBuilder& CardImageBuilder::AddDriverActivity(std::uint16_t oldest, std::uint16_t newest, const Bytes& ring)
{
    return AddFile(0x0504, 0, Concat({BE16(oldest), BE16(newest), ring}));
}

Bytes DailyRecord(std::uint16_t previousLength, std::uint16_t length, std::uint32_t date,
                  std::initializer_list<std::uint16_t> changes)
{
    Bytes out = Concat({BE16(previousLength), BE16(length), BE32(date), BE16(0x0001), BE16(0x0010)});
    for (std::uint16_t change : changes)
        AppendBE(out, change, 2);
    return out;
}

Bytes MakeCardImage(const TCardFields& fields)
{
    CardImageBuilder image;
    if (fields.identification)
        image.AddIdentification(fields.nation, fields.cardNumber, fields.surname, fields.firstNames);
    if (fields.lastDownload)
        image.AddCardDownload(*fields.lastDownload);
    while (image.Image().size() + 30 <= fields.padTo)
        image.AddFile(0x0002, 0, Bytes(25, static_cast<std::uint8_t>(image.Image().size())));
    return image.Image();
}

Bytes SyntheticCardImage(int index)
{
    constexpr std::uint32_t kLastDownload = 1705307400; // 2024-01-15 08:30:00 UTC
    constexpr std::uint32_t kIssued = 1672531200;       // 2023-01-01
    constexpr std::uint32_t kExpires = 1830297600;      // 2028-01-01
    char number[17];
    std::snprintf(number, sizeof number, "SIM%011d00", std::clamp(index, 0, 99999999));
    return MakeCardImage()
        .AddApplicationIdentification()
        .AddIdentification({.nation = 0x11,
                            .cardNumber = number,
                            .authority = "SIMULATED CARD AUTHORITY",
                            .issueDate = kIssued,
                            .validityBegin = kIssued,
                            .expiryDate = kExpires,
                            .surname = "SIMULATED",
                            .firstNames = "TEST DRIVER",
                            .birthDate = 0x19700101,
                            .language = "en"})
        .AddCardDownload(kLastDownload)
        .Image();
}

Bytes SyntheticWorkingCardImage(int index, int days, std::uint32_t lastDownload)
{
    days = std::clamp(days, 1, 365);
    const std::uint32_t firstDay = lastDownload - lastDownload % 86400 - static_cast<std::uint32_t>(days) * 86400;
    const auto word = [](int activity, int minute) {
        return static_cast<std::uint16_t>((activity & 3) << 11 | (minute & 0x7FF));
    };
    Bytes ring;
    std::uint16_t previous = 0;
    std::uint16_t newest = 0;
    for (int d = 0; d < days; ++d) {
        const std::uint32_t date = firstDay + static_cast<std::uint32_t>(d) * 86400;
        // 1970-01-01 was a Thursday: days 2 and 3 of the week are the weekend.
        const bool weekend = (date / 86400 + 3) % 7 >= 5;
        std::vector<std::uint16_t> changes{word(0, 0)};
        if (!weekend) {
            const int start = 330 + (d * 37) % 90; // 05:30 .. 07:00
            const int shift = (d * 53) % 60;
            for (const auto& [activity, at] : {std::pair{2, start}, std::pair{3, start + 20},
                                               std::pair{0, start + 170 + shift}, std::pair{3, start + 215 + shift},
                                               std::pair{1, start + 400 + shift}, std::pair{2, start + 430 + shift},
                                               std::pair{3, start + 480 + shift}, std::pair{0, start + 600 + shift}})
                changes.push_back(word(activity, at));
        }
        const auto length = static_cast<std::uint16_t>(12 + 2 * changes.size());
        Bytes record = Concat({BE16(previous), BE16(length), BE32(date), BE16(static_cast<std::uint16_t>(d + 1)),
                               BE16(static_cast<std::uint16_t>(weekend ? 0 : 420))});
        for (const std::uint16_t change : changes)
            AppendBE(record, change, 2);
        newest = static_cast<std::uint16_t>(ring.size());
        Append(ring, record);
        previous = length;
    }
    char number[17];
    std::snprintf(number, sizeof number, "SIM%011d01", std::clamp(index, 0, 99999999));
    return MakeCardImage()
        .AddApplicationIdentification({.activityStructureLength = static_cast<std::uint16_t>(ring.size())})
        .AddIdentification({.nation = 0x11,
                            .cardNumber = number,
                            .authority = "SIMULATED CARD AUTHORITY",
                            .issueDate = firstDay,
                            .validityBegin = firstDay,
                            .expiryDate = firstDay + 5 * 365 * 86400u,
                            .surname = "SIMULATED",
                            .firstNames = "WORKING DRIVER",
                            .birthDate = 0x19800101,
                            .language = "en"})
        .AddCardDownload(lastDownload)
        .AddDriverActivity(0, newest, ring)
        .Image();
}

Bytes MakeDriverCardImage(const ApplicationCounts& c, CardContent content)
{
    const Bytes registration = Concat({Bytes{0x11, 0x01}, Padded("AB 123 CD", 13)});
    CardImageBuilder image;
    image.AddSigned(0x0002, Pattern(25, 0x10))
        .AddFile(0x0005, 0, Pattern(8, 0x20))
        .AddSigned(0x0501, CardImageBuilder::ApplicationIdentificationBody(c))
        .AddSigned(0x0520, CardImageBuilder::IdentificationBody({.nation = 0x11,
                                                                 .cardNumber = "F0000000000001",
                                                                 .authority = "FUZZ CARD AUTHORITY",
                                                                 .issueDate = 1672531200,
                                                                 .validityBegin = 1672531200,
                                                                 .expiryDate = 1830297600,
                                                                 .surname = "EXAMPLE",
                                                                 .firstNames = "SAMPLE HOLDER",
                                                                 .birthDate = 0x19700101,
                                                                 .language = "en"}))
        .AddCardDownload(1705307400);
    if (content == CardContent::Identification)
        return image.Image();

    image.AddSigned(0x0521, Concat({NameField("LICENCE AUTHORITY"), Bytes{0x11}, Padded("L0000001", 16)}));

    Bytes events;
    for (int i = 0; i < 6 * c.noOfEventsPerType; ++i) {
        const auto n = static_cast<std::uint32_t>(i);
        Append(events, Concat({Bytes{static_cast<std::uint8_t>(i + 1)}, BE32(1705000000 + n), BE32(1705000600 + n),
                               Bytes{0x11, 0x01}, Padded("AB123", 13)}));
    }
    image.AddSigned(0x0502, events);
    image.AddSigned(0x0503, Bytes(static_cast<std::size_t>(2 * c.noOfFaultsPerType * 24), 0x07));

    // Two days in the ring: two changes, then one; the rest unused.
    Bytes ring = Concat({DailyRecord(0, 16, 1705276800, {0x0000, 0x1800}), DailyRecord(16, 14, 1705363200, {0x2000})});
    ring.resize(c.activityStructureLength, 0);
    image.AddSigned(0x0504, Concat({BE16(0), BE16(16), ring}));

    Bytes vehicles = BE16(1);
    for (int i = 0; i < c.noOfCardVehicleRecords; ++i)
        Append(vehicles, Concat({Pattern(6, static_cast<std::uint8_t>(i)), BE32(1705000000), BE32(1705100000),
                                 registration, BE16(static_cast<std::uint16_t>(i))}));
    image.AddSigned(0x0505, vehicles);

    Bytes places{0x00};
    for (int i = 0; i < c.noOfCardPlaceRecords; ++i)
        Append(places, Concat({BE32(1705000000 + static_cast<std::uint32_t>(i)), Bytes{0x01, 0x11, 0x00, 0x00, 0x10, 0x00}}));
    image.AddSigned(0x0506, places);

    image.AddSigned(0x0507, Concat({BE32(1705300000), registration}));
    Bytes control(46, 0x00);
    control[0] = 0x80;
    image.AddSigned(0x0508, control);

    Bytes conditions;
    for (std::uint32_t i = 0; i < 56; ++i)
        Append(conditions, Concat({BE32(i < 2 ? 1705000000 + i : 0), Bytes{static_cast<std::uint8_t>(i < 2 ? 1 : 0)}}));
    image.AddSigned(0x0522, conditions);

    image.AddFile(0xC100, 0, Pattern(194, 0x40)).AddFile(0xC108, 0, Pattern(194, 0x40));
    return image.Image();
}

} // namespace pellkit::test
