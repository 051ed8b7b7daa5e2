// The VU transfer responses after the overview (76h 02h to 05h) and the
// reader of a whole download: layouts, round trips, captions, and every way
// a block can be short or damaged.
#include "RecordChecks.h"
#include "VuBlockBuilder.h"
#include "uTachy1BDownload.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace pellkit::test;
using recordchecks::Captions;
using recordchecks::LoadAndSave;
using recordchecks::RoundTrip;

namespace {

const struct {
    const char* name;
    std::size_t size;
    RoundTrip (*run)(const Bytes&);
} kFixedLayouts[] = {
    {"TFullCardNumber", 18, LoadAndSave<TFullCardNumber>},
    {"TVehicleRegistrationIdentification", 15, LoadAndSave<TVehicleRegistrationIdentification>},
    {"TPreviousVehicleInfo", 19, LoadAndSave<TPreviousVehicleInfo>},
    {"THolderName", 72, LoadAndSave<THolderName>},
    {"TVuCardIWRecord", 129, LoadAndSave<TVuCardIWRecord>},
    {"TVuPlaceDailyWorkPeriodRecord", 28, LoadAndSave<TVuPlaceDailyWorkPeriodRecord>},
    {"TVuFaultRecord", 82, LoadAndSave<TVuFaultRecord>},
    {"TVuEventRecord", 83, LoadAndSave<TVuEventRecord>},
    {"TVuOverSpeedingControlData", 9, LoadAndSave<TVuOverSpeedingControlData>},
    {"TVuOverSpeedingEventRecord", 31, LoadAndSave<TVuOverSpeedingEventRecord>},
    {"TVuTimeAdjustmentRecord", 98, LoadAndSave<TVuTimeAdjustmentRecord>},
    {"TVuDetailedSpeedBlock", 64, LoadAndSave<TVuDetailedSpeedBlock>},
    {"TExtendedSerialNumber", 8, LoadAndSave<TExtendedSerialNumber>},
    {"TVuSoftwareIdentification", 8, LoadAndSave<TVuSoftwareIdentification>},
    {"TVuIdentification", 116, LoadAndSave<TVuIdentification>},
    {"TSensorPaired", 20, LoadAndSave<TSensorPaired>},
    {"TVuCalibrationRecord", 167, LoadAndSave<TVuCalibrationRecord>},
};

TEST(VuRecords, FixedLayoutsConsumeTheirSizeAndSaveTheSameBytes)
{
    for (const auto& c : kFixedLayouts) {
        SCOPED_TRACE(c.name);
        const Bytes input = Pattern(c.size + 3, 0x81);
        const RoundTrip result = c.run(input);
        EXPECT_EQ(result.consumed, c.size);
        EXPECT_EQ(result.saved, Bytes(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(c.size)));
    }
}

// The data of each block kind, as the builders make it, and a loader.
struct BlockCase {
    const char* name;
    std::uint8_t trep;
    Bytes data;
    std::function<std::unique_ptr<TVuTransferBlock>()> make;
};

std::vector<BlockCase> BlockCases()
{
    const ActivitiesFields day{.cards = {CardIWFields{}, CardIWFields{.slot = 1}},
                             .changes = {ActivityChange(0, false, false, kBreakRest, 0),
                                         ActivityChange(1, false, true, kBreakRest, 0),
                                         ActivityChange(0, false, false, kDriving, 360)},
                             .places = 2,
                             .conditions = 1};
    return {
        {"76 02", 0x02, ActivitiesData(day), [] { return std::make_unique<TF7602>(); }},
        {"76 02 empty", 0x02, ActivitiesData({}), [] { return std::make_unique<TF7602>(); }},
        {"76 03", 0x03, EventsFaultsData(2, 3, 1, 2), [] { return std::make_unique<TF7603>(); }},
        {"76 03 empty", 0x03, EventsFaultsData(0, 0, 0, 0), [] { return std::make_unique<TF7603>(); }},
        {"76 04", 0x04, DetailedSpeedData(kDay, 3), [] { return std::make_unique<TF7604>(); }},
        {"76 05", 0x05, TechnicalData(2), [] { return std::make_unique<TF7605>(); }},
    };
}

TEST(VuBlocks, LoadEverythingSaveTheSameBytes)
{
    for (const BlockCase& c : BlockCases()) {
        SCOPED_TRACE(c.name);
        const SignatureBlock signature = [] { SignatureBlock s; s.fill(0x5A); return s; }();
        Bytes bytes = Concat({Bytes{0xEE, 0xEE}, c.data, Bytes(signature.begin(), signature.end()), Bytes{0x76}});
        TMemoryStream stream(bytes);
        stream.SetPosition(2);
        auto block = c.make();
        block->LoadFromStream(stream);
        EXPECT_EQ(stream.Position(), bytes.size() - 1);
        EXPECT_EQ(block->Trep(), c.trep);
        EXPECT_EQ(block->SignedStart(), 2u);
        EXPECT_EQ(block->RawData(), c.data);
        EXPECT_EQ(block->Signature()[0], 0x5A);
        TMemoryStream out;
        block->SaveToStream(out);
        EXPECT_EQ(out.Buffer(), Concat({c.data, Bytes(signature.begin(), signature.end())}));
    }
}

// Every prefix of every block is refused, where it ends, never read as zeros.
TEST(VuBlocks, EveryShortBlockIsAnErrorAtItsEnd)
{
    for (const BlockCase& c : BlockCases()) {
        SCOPED_TRACE(c.name);
        const Bytes whole = Concat({c.data, Bytes(128, 0x5A)});
        for (std::size_t n = 0; n < whole.size(); ++n) {
            TMemoryStream stream(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)));
            auto block = c.make();
            try {
                block->LoadFromStream(stream);
                ADD_FAILURE() << "a block cut to " << n << " bytes was accepted";
            } catch (const ETachoError& e) {
                EXPECT_LE(e.Offset(), n);
                EXPECT_NE(std::string(e.what()).find(" at offset "), std::string::npos);
            }
        }
    }
}

TEST(VuBlocks, ErrorsNameWhatWasReadAndWhere)
{
    // The count claims more than the bytes hold: nothing is allocated for it.
    Bytes cards = ActivitiesData({.cards = {CardIWFields{}}});
    cards[7] = 0xFF;
    cards[8] = 0xFF;
    Bytes speed = DetailedSpeedData(kDay, 1);
    speed[0] = 0xFF;
    const struct {
        const char* what;
        Bytes data;
        std::unique_ptr<TVuTransferBlock> block;
        std::size_t offset;
        const char* reason;
    } cases[] = {
        {"card records", cards, std::make_unique<TF7602>(), 9,
         "VuCardIWData: 65535 records of 129 bytes, 134 bytes left"},
        {"speed blocks", speed, std::make_unique<TF7604>(), 2,
         "VuDetailedSpeedData: 65281 records of 64 bytes, 64 bytes left"},
        {"no signature", EventsFaultsData(0, 0, 0, 0), std::make_unique<TF7603>(), 13,
         "signature of the 76 03 block: 128 bytes needed, 0 left"},
        {"no overspeeding control", Bytes{0, 0, 1, 2, 3}, std::make_unique<TF7603>(), 2,
         "VuOverSpeedingControlData: 9 bytes needed, 3 left"},
        {"technical data cut", Bytes(100, 0x20), std::make_unique<TF7605>(), 0,
         "VuIdentification: 116 bytes needed, 100 left"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TMemoryStream stream(c.data);
        try {
            c.block->LoadFromStream(stream);
            ADD_FAILURE() << "accepted";
        } catch (const ETachoError& e) {
            EXPECT_EQ(e.Offset(), c.offset);
            EXPECT_EQ(e.Reason(), c.reason);
        }
    }
}

TEST(VuBlocks, ActivitiesFieldsAndCaptions)
{
    const ActivitiesFields fields{.odometerMidnight = 0x012345,
                              .cards = {CardIWFields{.surname = "M\xDCLLER", .slot = 1}},
                              .changes = {ActivityChange(0, false, false, kWork, 0), ActivityChange(1, true, true, kDriving, 75)},
                              .places = 1,
                              .conditions = 2};
    TMemoryStream stream(Concat({ActivitiesData(fields), Bytes(128, 0)}));
    TF7602 day;
    day.LoadFromStream(stream);
    EXPECT_EQ(day.dateOfDayDownloaded, kDay);
    ASSERT_EQ(day.vuCardIWData->Size(), 1u);
    EXPECT_EQ((*day.vuCardIWData)[0].cardSlotNumber, 1);
    EXPECT_EQ((*day.vuCardIWData)[0].cardInsertionTime, kDay + 6 * 3600);
    EXPECT_EQ(BytesToText((*day.vuCardIWData)[0].fullCardNumber->cardNumber), "D000000000000100");
    ASSERT_EQ(day.vuActivityDailyData->Size(), 2u);
    EXPECT_EQ((*day.vuActivityDailyData)[1].data, 0xE000 | (3 << 11) | 75);
    EXPECT_EQ(day.vuPlaceDailyWorkPeriodData->Size(), 1u);
    EXPECT_EQ(day.vuSpecificConditionData->Size(), 2u);

    const auto top = Captions(day);
    EXPECT_EQ(top, (std::vector<std::string>{"DateOfDayDownloaded : 5EFFC680", "OdometerValueMidnight : 01 23 45 ",
                                             "VuCardIWData >", "VuActivityDailyData >", "VuPlaceDailyWorkPeriodData >",
                                             "VuSpecificConditionData >", top[6]}));
    EXPECT_EQ(top[6].substr(0, 15), "Signature : 00 ");
    EXPECT_EQ(Captions(*day.vuActivityDailyData),
              (std::vector<std::string>{"noOfActivityChanges : 0002", "ActivityChangeInfo >", "ActivityChangeInfo >"}));
    const auto card = Captions((*day.vuCardIWData)[0]);
    ASSERT_EQ(card.size(), 10u);
    EXPECT_EQ(card[0], "cardHolderName >");
    EXPECT_EQ(card[5], "cardSlotNumber : 01");
    EXPECT_EQ(card[8], "previousVehicleInfo >");
    EXPECT_EQ(Captions(*(*day.vuCardIWData)[0].cardHolderName)[0].substr(0, 20), "holderSurname : 01 4");
}

TEST(VuBlocks, OtherBlocksFields)
{
    TMemoryStream events(Concat({EventsFaultsData(1, 2, 1, 1), Bytes(128, 0)}));
    TF7603 incidents;
    incidents.LoadFromStream(events);
    EXPECT_EQ(incidents.vuFaultData->Size(), 1u);
    ASSERT_EQ(incidents.vuEventData->Size(), 2u);
    EXPECT_EQ((*incidents.vuEventData)[1].type, 0x08);
    EXPECT_EQ((*incidents.vuEventData)[1].similarEventsNumber, 2);
    EXPECT_EQ(incidents.vuOverSpeedingControlData->numberOfOverspeedSince, 1);
    EXPECT_EQ((*incidents.vuOverSpeedingEventData)[0].maxSpeedValue, 97);
    EXPECT_EQ((*incidents.vuTimeAdjustmentData)[0].newTimeValue, kDay + 30);
    EXPECT_EQ(Captions((*incidents.vuEventData)[0]).back(), "similarEventsNumber : 02");
    EXPECT_EQ(Captions((*incidents.vuFaultData)[0])[0], "faultType : 35");

    TMemoryStream speedStream(Concat({DetailedSpeedData(kDay, 2), Bytes(128, 0)}));
    TF7604 speed;
    speed.LoadFromStream(speedStream);
    ASSERT_EQ(speed.vuDetailedSpeedData->Size(), 2u);
    EXPECT_EQ((*speed.vuDetailedSpeedData)[1].speedBlockBeginDate, kDay + 60);
    EXPECT_EQ((*speed.vuDetailedSpeedData)[1].speedsPerSecond[59], 60);

    TMemoryStream technicalStream(Concat({TechnicalData(1), Bytes(128, 0)}));
    TF7605 technical;
    technical.LoadFromStream(technicalStream);
    EXPECT_EQ(technical.vuIdentification->vuSerialNumber->serialNumber, 123456u);
    EXPECT_EQ(technical.sensorPaired->sensorSerialNumber->serialNumber, 654321u);
    ASSERT_EQ(technical.vuCalibrationData->Size(), 1u);
    EXPECT_EQ((*technical.vuCalibrationData)[0].lTyreCircumference, 25000);
    EXPECT_EQ((*technical.vuCalibrationData)[0].authorisedSpeed, 90);
    EXPECT_EQ(Captions(technical), (std::vector<std::string>{"VuIdentification >", "SensorPaired >",
                                                             "VuCalibrationData >", Captions(technical)[3]}));
}

Bytes Overview() { return Concat({Bytes{0x76, 0x01}, MakeOverview(1, 2)}); }

TEST(VuDownload, SplitsEveryBlockWithItsOffsets)
{
    const Bytes day1 = MakeTransferResponse(0x02, ActivitiesData({}));
    const Bytes day2 = MakeTransferResponse(0x02, ActivitiesData({.day = kDay + 86400, .changes = {0x0000}}));
    const Bytes events = MakeTransferResponse(0x03, EventsFaultsData(1, 1, 0, 0));
    const Bytes speed = MakeTransferResponse(0x04, DetailedSpeedData(kDay, 2));
    const Bytes technical = MakeTransferResponse(0x05, TechnicalData(1));
    const Bytes download = MakeVuDownload({Overview(), day1, day2, events, speed, technical});

    TMemoryStream stream(download);
    TVuDownload vu;
    vu.LoadFromStream(stream);
    EXPECT_FALSE(vu.Stop().has_value());
    ASSERT_EQ(vu.Blocks().size(), 6u);
    std::size_t at = 0;
    const Bytes* parts[] = {nullptr, &day1, &day2, &events, &speed, &technical};
    const std::uint8_t treps[] = {1, 2, 2, 3, 4, 5};
    for (std::size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const TVuBlockEntry& e = vu.Blocks()[i];
        const std::size_t size = parts[i] ? parts[i]->size() : Overview().size();
        EXPECT_EQ(e.trep, treps[i]);
        EXPECT_EQ(e.offset, at);
        EXPECT_EQ(e.size, size);
        EXPECT_EQ(e.signedOffset, at + (i == 0 ? 2 + 388 : 2));
        EXPECT_EQ(e.signedOffset + e.signedSize, e.SignatureOffset());
        at += size;
    }
    EXPECT_EQ(vu.Overview(), vu.Blocks()[0].block);
    EXPECT_EQ(vu.BlocksOf<TF7602>().size(), 2u);
    EXPECT_EQ(vu.BlocksOf<TF7602>()[1]->dateOfDayDownloaded, kDay + 86400);
    EXPECT_EQ(Captions(vu), (std::vector<std::string>{"76 01 overview >", "76 02 activities >", "76 02 activities >",
                                                      "76 03 events and faults >", "76 04 detailed speed >",
                                                      "76 05 technical data >"}));
}

TEST(VuDownload, StopsAtWhatItCannotReadAndKeepsWhatCameBefore)
{
    const Bytes day = MakeTransferResponse(0x02, ActivitiesData({}));
    Bytes cutDay = day;
    cutDay.resize(day.size() - 1);
    Bytes overviewCut = Overview();
    overviewCut.resize(600);
    const struct {
        const char* what;
        Bytes download;
        std::size_t blocks;
        std::size_t blockOffset;
        std::uint8_t trep;
        std::string reason;
    } cases[] = {
        {"a day without its last signature byte", MakeVuDownload({Overview(), day, cutDay}), 2,
         Overview().size() + day.size(), 0x02,
         "signature of the 76 02 block: 128 bytes needed, 127 left"},
        {"a smart tachograph block", MakeVuDownload({Overview(), MakeResponse(0x22, 300)}), 1, Overview().size(), 0x22,
         "transfer response 76 22 of a smart tachograph (generation 2)"},
        {"an unknown block", MakeVuDownload({Overview(), day, MakeResponse(0x07, 10)}), 2,
         Overview().size() + day.size(), 0x07, "unknown transfer response 76 07"},
        {"no response byte", MakeVuDownload({Overview(), Bytes{0x00, 0x01}}), 1, Overview().size(), 0x00,
         "no transfer response here: 00h, not 76h"},
        {"one byte left", MakeVuDownload({Overview(), Bytes{0x76}}), 1, Overview().size(), 0x00,
         "a single byte where a transfer response (76h TREP) should start"},
        {"an overview cut short", overviewCut, 0, 0, 0x01,
         "VuControlActivityData of 2 controls: the block needs 653 bytes, 598 left"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TMemoryStream stream(c.download);
        TVuDownload vu;
        vu.LoadFromStream(stream);
        EXPECT_EQ(vu.Blocks().size(), c.blocks);
        ASSERT_TRUE(vu.Stop().has_value());
        EXPECT_EQ(vu.Stop()->blockOffset, c.blockOffset);
        EXPECT_EQ(vu.Stop()->trep, c.trep);
        EXPECT_EQ(vu.Stop()->reason, c.reason);
    }
}

} // namespace
