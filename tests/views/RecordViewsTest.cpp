// Card and VU views over images built here: the fields a window shows,
// decoded, the empty records of the card's files left out, the records a VU
// repeats across midnight listed once.
#include "CardImageBuilder.h"
#include "VuBlockBuilder.h"
#include "uCard1BFile.h"
#include "uCodeNames.h"
#include "uTachy1BDownload.h"
#include "uVuView.h"

#include <gtest/gtest.h>

using namespace pellkit::test;

namespace {

TEST(CardView, EveryFileDecoded)
{
    const Bytes image = MakeDriverCardImage({.noOfEventsPerType = 1,
                                             .noOfFaultsPerType = 1,
                                             .activityStructureLength = 64,
                                             .noOfCardVehicleRecords = 2,
                                             .noOfCardPlaceRecords = 3});
    TMemoryStream stream(image);
    T1BDriverCard card;
    card.LoadImage(stream);
    const views::TCardView v = views::ViewCard(card);

    ASSERT_TRUE(v.hasIdentification);
    EXPECT_EQ(v.identity.issuingNation, 0x11);
    EXPECT_EQ(v.identity.issuingNationAlpha, "F");
    EXPECT_EQ(v.identity.cardNumber, "F0000000000001");
    EXPECT_EQ(v.identity.issuingAuthority, "FUZZ CARD AUTHORITY");
    EXPECT_EQ(v.identity.expiryDate, 1830297600u);
    EXPECT_EQ(v.identity.surname, "EXAMPLE");
    EXPECT_EQ(v.identity.firstNames, "SAMPLE HOLDER");
    EXPECT_EQ(v.identity.birthDate, "1970-01-01");
    EXPECT_EQ(v.identity.preferredLanguage, "en");
    EXPECT_EQ(v.lastDownload, 1705307400u);
    ASSERT_TRUE(v.licence.has_value());
    EXPECT_EQ(v.licence->issuingAuthority, "LICENCE AUTHORITY");
    EXPECT_EQ(v.licence->number, "L0000001");

    ASSERT_EQ(v.events.size(), 6u);
    EXPECT_EQ(v.events[0].type, 1);
    EXPECT_EQ(v.events[5].begin, 1705000005u);
    EXPECT_EQ(v.events[0].vehicle.number, "AB123");
    EXPECT_EQ(v.faults.size(), 2u);
    ASSERT_EQ(v.vehicles.size(), 2u);
    EXPECT_EQ(v.vehicles[1].odometerBeginKm, 0x010203u);
    EXPECT_EQ(v.vehicles[1].registration.number, "AB 123 CD");
    EXPECT_EQ(v.vehicles[1].registration.nationAlpha, "F");
    ASSERT_EQ(v.places.size(), 3u);
    EXPECT_EQ(v.places[2].time, 1705000002u);
    EXPECT_EQ(v.places[0].entryType, 1);
    EXPECT_EQ(v.places[0].odometerKm, 0x1000u);
    // 56 condition slots, two in use.
    EXPECT_EQ(v.specificConditions.size(), 2u);
    ASSERT_TRUE(v.currentUse.has_value());
    EXPECT_EQ(v.currentUse->sessionOpenTime, 1705300000u);
    EXPECT_FALSE(v.lastControl.has_value()); // a control record without a time is none
    EXPECT_EQ(v.activities.size(), 2u);
}

TEST(CardView, AnEmptyCardGivesEmptyLists)
{
    const Bytes image = MakeCardImage().AddApplicationIdentification({.noOfEventsPerType = 3}).Image();
    TMemoryStream stream(image);
    T1BDriverCard card;
    card.LoadImage(stream);
    const views::TCardView v = views::ViewCard(card);
    EXPECT_FALSE(v.hasIdentification);
    EXPECT_FALSE(v.lastDownload.has_value());
    EXPECT_TRUE(v.events.empty());
    EXPECT_TRUE(v.activities.empty());
}

TEST(VuView, EveryBlockDecoded)
{
    CardIWFields acrossMidnight{.surname = "M\xDCLLER", .insertion = kDay + 20 * 3600, .withdrawal = kDay + 86400 + 3600};
    const Bytes download = MakeVuDownload(
        {Concat({Bytes{0x76, 0x01}, MakeOverview(1, 2)}),
         MakeTransferResponse(0x02, ActivitiesData({.cards = {CardIWFields{}, acrossMidnight}, .places = 2, .conditions = 1})),
         MakeTransferResponse(0x02, ActivitiesData({.day = kDay + 86400, .cards = {acrossMidnight}, .conditions = 1})),
         MakeTransferResponse(0x03, EventsFaultsData(1, 2, 1, 1)), MakeTransferResponse(0x04, DetailedSpeedData(kDay, 2)),
         MakeTransferResponse(0x05, TechnicalData(2))});
    TMemoryStream stream(download);
    TVuDownload vu;
    vu.LoadFromStream(stream);
    ASSERT_FALSE(vu.Stop().has_value());
    const views::TVuView v = views::ViewVu(vu);

    ASSERT_TRUE(v.hasOverview);
    EXPECT_EQ(v.vin, "WDB9634031L123456");
    EXPECT_EQ(v.registration.number, "AB 123 CD");
    EXPECT_EQ(v.registration.nationAlpha, "D");
    EXPECT_EQ(v.driverSlotCard, 1);
    EXPECT_EQ(v.coDriverSlotCard, 2);
    EXPECT_EQ(v.lastDownload.companyOrWorkshop, "WORKSHOP");
    ASSERT_TRUE(v.lastDownload.card.has_value());
    EXPECT_EQ(views::CardTypeName(v.lastDownload.card->cardType), "company card");
    ASSERT_EQ(v.companyLocks.size(), 1u);
    EXPECT_EQ(v.companyLocks[0].companyName, "COMPANY");
    ASSERT_EQ(v.controls.size(), 2u);
    EXPECT_TRUE(v.controls[0].type.cardDownloaded);
    EXPECT_FALSE(v.controls[0].type.vuDownloaded);

    ASSERT_EQ(v.cardInsertions.size(), 2u); // the one across midnight once
    EXPECT_EQ(v.cardInsertions[1].surname, "M\u00DCLLER");
    EXPECT_EQ(v.cardInsertions[1].cardExpiry, "2030-12-31");
    EXPECT_EQ(v.cardInsertions[1].previousVehicle.number, "PREV 1");
    EXPECT_EQ(v.places.size(), 2u);
    EXPECT_EQ(v.specificConditions.size(), 2u);
    EXPECT_EQ(v.activities.size(), 2u);

    EXPECT_EQ(v.faults.size(), 1u);
    ASSERT_EQ(v.events.size(), 2u);
    EXPECT_EQ(views::EventFaultTypeName(v.events[0].type), "power supply interruption");
    EXPECT_EQ(v.events[0].similarEvents, 2);
    EXPECT_TRUE(v.events[0].cards[0].has_value());
    EXPECT_FALSE(v.events[0].cards[1].has_value());
    ASSERT_TRUE(v.overSpeedingControl.has_value());
    ASSERT_EQ(v.overSpeedingEvents.size(), 1u);
    EXPECT_EQ(v.overSpeedingEvents[0].maxSpeedKmh, 97);
    ASSERT_EQ(v.timeAdjustments.size(), 1u);
    EXPECT_EQ(v.timeAdjustments[0].workshopName, "WORKSHOP");
    ASSERT_EQ(v.detailedSpeed.size(), 2u);
    EXPECT_EQ(v.detailedSpeed[1].begin, kDay + 60);
    EXPECT_EQ(v.detailedSpeed[1].speedsKmh[0], 1);
    ASSERT_TRUE(v.technical.has_value());
    EXPECT_EQ(v.technical->manufacturerName, "MAKER");
    EXPECT_EQ(v.technical->partNumber, "PART-0001");
    EXPECT_EQ(v.technical->serialNumber.serialNumber, 123456u);
    EXPECT_EQ(v.technical->softwareVersion, "0102");
    ASSERT_EQ(v.technical->calibrations.size(), 2u);
    EXPECT_EQ(v.technical->calibrations[1].tyreCircumferenceMm, 3125.0);
    EXPECT_EQ(v.technical->calibrations[1].tyreSize, "315/80 R 22.5");
    EXPECT_EQ(views::CalibrationPurposeName(v.technical->calibrations[1].purpose), "first installation");

    ASSERT_EQ(v.blocks.size(), 6u);
    EXPECT_EQ(v.blocks[1].name, "activities");
    EXPECT_EQ(v.blocks[2].day, kDay + 86400);
    EXPECT_EQ(v.blocks[3].offset, vu.Blocks()[3].offset);
}

TEST(CodeNames, SomeCodes)
{
    EXPECT_EQ(views::EventFaultTypeName(0x02), "card conflict");
    EXPECT_EQ(views::EventFaultTypeName(0x35), "sensor fault");
    EXPECT_EQ(views::EventFaultTypeName(0x0B), "");
    EXPECT_EQ(views::EventFaultTypeName(0x90), "manufacturer specific");
    EXPECT_EQ(views::SpecificConditionName(3), "ferry/train crossing");
    EXPECT_EQ(views::SlotCardName(3), "control card");
}

} // namespace
