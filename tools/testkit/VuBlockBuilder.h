#pragma once
// Vehicle unit transfer responses as they follow 76h TREP in a download.
// The overview (TREP 01h) is built from its parts: the member state and VU
// certificates, the signed part (VIN to control activities) with chosen lock
// and control counts, and the signature. The other responses (02h one day's
// activities, 03h events and faults, 04h detailed speed, 05h technical data)
// are built as their signed data; MakeTransferResponse puts 76h TREP before
// and a signature after, MakeVuDownload strings responses together.
//
//   Bytes day = ActivitiesData({.day = kDay, .changes = {ActivityChange(0, false, false, kDriving, 0)}});
//   Bytes download = MakeVuDownload({MakeOverviewResponse(...), MakeTransferResponse(0x02, day)});

#include "TestBytes.h"

#include <array>
#include <initializer_list>
#include <vector>
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

// ---- 76h 02h: the activities of one day ----

// 2020-07-04 00:00 UTC, the day the builders' activities fall on by default.
inline constexpr std::uint32_t kDay = 1593820800;

enum ActivityCode : int { kBreakRest = 0, kAvailability = 1, kWork = 2, kDriving = 3 };
// An ActivityChangeInfo word 'scpaattttttttttt': slot (0 driver, 1 co-driver),
// crew, card not inserted, activity, minutes since 00:00.
std::uint16_t ActivityChange(int slot, bool crew, bool notInserted, int activity, int minute);

// A VuCardIWRecord (129 bytes).
struct CardIWFields {
    std::string surname = "DRIVER";
    std::string firstNames = "FIRST";
    std::uint8_t codePage = 0x01;
    std::uint8_t nation = 0x0D;
    std::string cardNumber = "D000000000000100";
    std::uint32_t expiry = 0x20301231; // BCD yyyymmdd
    std::uint32_t insertion = kDay + 6 * 3600;
    std::uint32_t odometerAtInsertion = 1000;
    std::uint8_t slot = 0;
    std::uint32_t withdrawal = kDay + 18 * 3600;
    std::uint32_t odometerAtWithdrawal = 1250;
    std::string previousRegistration = "PREV 1";
    std::uint32_t previousWithdrawal = kDay - 3600;
    std::uint8_t manualInput = 0;
};
Bytes CardIWRecord(const CardIWFields& fields);

struct ActivitiesFields {
    std::uint32_t day = kDay;
    std::uint32_t odometerMidnight = 1250;
    std::vector<CardIWFields> cards{};
    std::vector<std::uint16_t> changes{};
    int places = 0;     // VuPlaceDailyWorkPeriodRecords of made-up data
    int conditions = 0; // SpecificConditionRecords of made-up data
};
// The signed data of a 76h 02h block (date to the last specific condition).
Bytes ActivitiesData(const ActivitiesFields& fields);

// ---- 76h 03h, 04h, 05h ----

// The signed data of a 76h 03h block with that many records of each list.
Bytes EventsFaultsData(int faults, int events, int overSpeedingEvents, int timeAdjustments);
// The signed data of a 76h 04h block: blocks minutes from begin, speeds 0, 1, 2, ...
Bytes DetailedSpeedData(std::uint32_t begin, int blocks);
// The signed data of a 76h 05h block with that many calibrations.
Bytes TechnicalData(int calibrations);

// 76h TREP, the data, the signature.
Bytes MakeTransferResponse(std::uint8_t trep, const Bytes& data, const SignatureBlock& signature = {});
// The responses one after the other, as a download file holds them.
inline Bytes MakeVuDownload(std::initializer_list<Bytes> responses) { return Concat(responses); }

} // namespace pellkit::test
