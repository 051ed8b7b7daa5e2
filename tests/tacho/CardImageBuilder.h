#pragma once
// Builds driver card images block by block, so that a test shows the bytes
// that matter. Every block is a 5-byte header (FID, kind, body length; all
// big-endian) followed by its body.
//
//   auto image = MakeCardImage()
//                    .AddApplicationIdentification({.activityStructureLength = 100})
//                    .AddIdentification(0x0B, "D1234567890123", "SURNAME", "FIRST")
//                    .AddCardDownload(0x5F000000)
//                    .Image();

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace pellkit::test {

using Bytes = std::vector<std::uint8_t>;

inline void AppendBE(Bytes& out, std::uint32_t value, int width)
{
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline Bytes BE16(std::uint16_t value)
{
    Bytes out;
    AppendBE(out, value, 2);
    return out;
}

inline Bytes BE32(std::uint32_t value)
{
    Bytes out;
    AppendBE(out, value, 4);
    return out;
}

// text cut or padded with pad to exactly size bytes.
inline Bytes Padded(const std::string& text, std::size_t size, std::uint8_t pad = ' ')
{
    Bytes out(text.begin(), text.end());
    out.resize(size, pad);
    return out;
}

// A 36-byte Name: code-page byte, then 35 characters padded with blanks.
inline Bytes NameField(const std::string& text, std::uint8_t codePage = 0x01)
{
    Bytes out{codePage};
    const Bytes rest = Padded(text, 35);
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

// Bytes 0, 1, 2, ... (mod 256) starting at first: every position differs from its neighbours.
inline Bytes Pattern(std::size_t size, std::uint8_t first = 1)
{
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i)
        out[i] = static_cast<std::uint8_t>(first + i);
    return out;
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

struct ApplicationCounts {
    std::uint8_t typeOfTachographCardId = 0x01;
    std::uint16_t cardStructureVersion = 0x0100;
    std::uint8_t noOfEventsPerType = 0;
    std::uint8_t noOfFaultsPerType = 0;
    std::uint16_t activityStructureLength = 0;
    std::uint16_t noOfCardVehicleRecords = 0;
    std::uint8_t noOfCardPlaceRecords = 0;
};

class CardImageBuilder {
public:
    // Any block; the header's length is the body's size unless announced is given.
    CardImageBuilder& AddFile(std::uint16_t fid, std::uint8_t kind, const Bytes& body, int announced = -1)
    {
        AppendBE(image_, fid, 2);
        image_.push_back(kind);
        AppendBE(image_, announced < 0 ? static_cast<std::uint32_t>(body.size()) : static_cast<std::uint32_t>(announced), 2);
        image_.insert(image_.end(), body.begin(), body.end());
        return *this;
    }

    // A kind 1 block of 128 bytes filled with fill.
    CardImageBuilder& AddSignature(std::uint16_t fid, std::uint8_t fill = 0x5A)
    {
        return AddFile(fid, 1, Bytes(128, fill));
    }

    // Bytes that are not a block (a prefix, a truncated tail).
    CardImageBuilder& AddRaw(const Bytes& bytes)
    {
        image_.insert(image_.end(), bytes.begin(), bytes.end());
        return *this;
    }

    static Bytes ApplicationIdentificationBody(const ApplicationCounts& c)
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

    CardImageBuilder& AddApplicationIdentification(const ApplicationCounts& counts = {})
    {
        return AddFile(0x0501, 0, ApplicationIdentificationBody(counts));
    }

    // CardIdentification (65 bytes) then DriverCardHolderIdentification (78 bytes).
    static Bytes IdentificationBody(std::uint8_t nation, const std::string& cardNumber, const std::string& surname,
                                    const std::string& firstNames)
    {
        return Concat({Bytes{nation}, Padded(cardNumber, 16), NameField("AUTHORITY"), BE32(0x3A5B1C00),
                       BE32(0x3A5B1C00), BE32(0x4A5B1C00), NameField(surname), NameField(firstNames),
                       Bytes{0x19, 0x70, 0x01, 0x31}, Bytes{'e', 's'}});
    }

    CardImageBuilder& AddIdentification(std::uint8_t nation, const std::string& cardNumber, const std::string& surname,
                                        const std::string& firstNames)
    {
        return AddFile(0x0520, 0, IdentificationBody(nation, cardNumber, surname, firstNames));
    }

    CardImageBuilder& AddCardDownload(std::uint32_t time) { return AddFile(0x050E, 0, BE32(time)); }

    // EF_Driver_Activity_Data: the two pointers, then the ring as given.
    CardImageBuilder& AddDriverActivity(std::uint16_t oldest, std::uint16_t newest, const Bytes& ring)
    {
        return AddFile(0x0504, 0, Concat({BE16(oldest), BE16(newest), ring}));
    }

    const Bytes& Image() const { return image_; }

private:
    Bytes image_;
};

inline CardImageBuilder MakeCardImage() { return {}; }

// A daily record header (12 bytes) followed by changes change words.
inline Bytes DailyRecord(std::uint16_t previousLength, std::uint16_t length, std::uint32_t date = 0x5F000000,
                         std::initializer_list<std::uint16_t> changes = {})
{
    Bytes out = Concat({BE16(previousLength), BE16(length), BE32(date), BE16(0x0001), BE16(0x0010)});
    for (std::uint16_t change : changes)
        AppendBE(out, change, 2);
    return out;
}

} // namespace pellkit::test
