#pragma once
// Driver card images, block by block. Every block is a 5-byte header (FID,
// kind, body length; all big-endian) followed by its body; kind 0 holds the
// file's data, kind 1 its signature.
//
//   auto image = MakeCardImage()
//                    .AddApplicationIdentification({.activityStructureLength = 100})
//                    .AddIdentification(0x0B, "D1234567890123", "SURNAME", "FIRST")
//                    .AddCardDownload(0x5F000000)
//                    .Image();
//
// Ready-made cards: MakeCardImage(TCardFields) for the identification a test
// names, SyntheticCardImage for vexa-sim's made-up cards, MakeDriverCardImage
// for a card with every file.

#include "TestBytes.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

namespace pellkit::test {

struct ApplicationCounts {
    std::uint8_t typeOfTachographCardId = 0x01;
    std::uint16_t cardStructureVersion = 0x0100;
    std::uint8_t noOfEventsPerType = 0;
    std::uint8_t noOfFaultsPerType = 0;
    std::uint16_t activityStructureLength = 0;
    std::uint16_t noOfCardVehicleRecords = 0;
    std::uint8_t noOfCardPlaceRecords = 0;
};

// CardIdentification and DriverCardHolderIdentification (65 + 78 bytes).
struct CardIdentification {
    std::uint8_t nation = 0;
    std::string cardNumber;
    std::string authority = "AUTHORITY";
    std::uint32_t issueDate = 0x3A5B1C00;
    std::uint32_t validityBegin = 0x3A5B1C00;
    std::uint32_t expiryDate = 0x4A5B1C00;
    std::string surname;
    std::string firstNames;
    std::uint32_t birthDate = 0x19700131; // BCD yyyymmdd
    std::string language = "es";
};

class CardImageBuilder {
public:
    // Any block; the header's length is the body's size unless announced is given.
    CardImageBuilder& AddFile(std::uint16_t fid, std::uint8_t kind, const Bytes& body, int announced = -1);
    // A kind 1 block of 128 bytes filled with fill.
    CardImageBuilder& AddSignature(std::uint16_t fid, std::uint8_t fill = 0x5A);
    // The data block, then its signature.
    CardImageBuilder& AddSigned(std::uint16_t fid, const Bytes& body, std::uint8_t fill = 0x5A);
    // Bytes that are not a block (a prefix, a truncated tail).
    CardImageBuilder& AddRaw(const Bytes& bytes);

    static Bytes ApplicationIdentificationBody(const ApplicationCounts& c);
    CardImageBuilder& AddApplicationIdentification(const ApplicationCounts& counts = {});

    static Bytes IdentificationBody(const CardIdentification& id);
    static Bytes IdentificationBody(std::uint8_t nation, const std::string& cardNumber, const std::string& surname,
                                    const std::string& firstNames);
    CardImageBuilder& AddIdentification(const CardIdentification& id);
    CardImageBuilder& AddIdentification(std::uint8_t nation, const std::string& cardNumber, const std::string& surname,
                                        const std::string& firstNames);

    CardImageBuilder& AddCardDownload(std::uint32_t time);

    // EF_Driver_Activity_Data: the two pointers, then the ring as given.
    CardImageBuilder& AddDriverActivity(std::uint16_t oldest, std::uint16_t newest, const Bytes& ring);

    const Bytes& Image() const { return image_; }

private:
    Bytes image_;
};

inline CardImageBuilder MakeCardImage() { return {}; }

// A daily record header (12 bytes) followed by changes change words.
Bytes DailyRecord(std::uint16_t previousLength, std::uint16_t length, std::uint32_t date = 0x5F000000,
                  std::initializer_list<std::uint16_t> changes = {});

// The identification file when a card number is given, EF_Card_Download when
// a last download time is given, and EF_ICC blocks (FID 0002h, 25 bytes) as
// filler up to padTo bytes, which make the image long enough to be kept.
struct TCardFields {
    std::uint8_t nation = 0x0F;
    std::string cardNumber = "ES00000000000001";
    std::string surname = "SURNAME";
    std::string firstNames = "FIRST";
    bool identification = true;
    std::optional<std::uint32_t> lastDownload;
    std::size_t padTo = 200;

    TCardFields& Nation(std::uint8_t v) { nation = v; return *this; }
    TCardFields& Number(std::string v) { cardNumber = std::move(v); return *this; }
    TCardFields& Holder(std::string sur, std::string first) { surname = std::move(sur); firstNames = std::move(first); return *this; }
    TCardFields& NoIdentification() { identification = false; return *this; }
    TCardFields& LastDownload(std::uint32_t v) { lastDownload = v; return *this; }
    TCardFields& PadTo(std::size_t v) { padTo = v; return *this; }
};
Bytes MakeCardImage(const TCardFields& fields);

// A small, well-formed card of made-up data: application identification,
// identification (holder "SIMULATED", "TEST DRIVER", card number
// SIM<index, 11 digits>00) and card download. index (from 1) makes it unique.
Bytes SyntheticCardImage(int index);

// A made-up card (holder "SIMULATED", "WORKING DRIVER", card number
// SIM<index, 11 digits>01) with days of made-up activities, the last one
// the day before lastDownload: working days of driving, breaks, work and
// availability, weekends of rest. For pictures and benchmarks.
Bytes SyntheticWorkingCardImage(int index, int days, std::uint32_t lastDownload);

// A signed driver card with the given counts: ICC, IC, application
// identification, identification and card download; with EveryFile also the
// licence, events, faults, activities (two days), vehicles, places, current
// usage, control activity, specific conditions and two certificates.
enum class CardContent { Identification, EveryFile };
Bytes MakeDriverCardImage(const ApplicationCounts& counts, CardContent content = CardContent::EveryFile);

} // namespace pellkit::test
