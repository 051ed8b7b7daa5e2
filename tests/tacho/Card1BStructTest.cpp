// Driver card records: layouts, round trips, display captions.
#include "CardImageBuilder.h"
#include "RecordChecks.h"
#include "uCard1BStruct.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using namespace pellkit::test;
using recordchecks::LoadAndSave;
using recordchecks::RoundTrip;

struct LayoutCase {
    const char* name;
    std::size_t size;
    RoundTrip (*run)(const Bytes&);
};

const LayoutCase kFixedLayouts[] = {
    {"TCardIccIdentification", 25, LoadAndSave<TCardIccIdentification>},
    {"TCardChipIdentification", 8, LoadAndSave<TCardChipIdentification>},
    {"TDriverCardApplicationIdentification", 10, LoadAndSave<TDriverCardApplicationIdentification>},
    {"TCardCertificate", 194, LoadAndSave<TCardCertificate>},
    {"TMemberStateCertificate", 194, LoadAndSave<TMemberStateCertificate>},
    {"TCardIdentification", 65, LoadAndSave<TCardIdentification>},
    {"TDriverCardHolderIdentification", 78, LoadAndSave<TDriverCardHolderIdentification>},
    {"TLastCardDownload", 4, LoadAndSave<TLastCardDownload>},
    {"TCardDrivingLicenceInformation", 53, LoadAndSave<TCardDrivingLicenceInformation>},
    {"TCardEventRecord", 24, LoadAndSave<TCardEventRecord>},
    {"TCardFaultRecord", 24, LoadAndSave<TCardFaultRecord>},
    {"TActivityChangeInfo", 2, LoadAndSave<TActivityChangeInfo>},
    {"TCardVehicleRecord", 31, LoadAndSave<TCardVehicleRecord>},
    {"TPlaceRecord", 10, LoadAndSave<TPlaceRecord>},
    {"TSessionOpenVehicle", 15, LoadAndSave<TSessionOpenVehicle>},
    {"TCardCurrentUse", 19, LoadAndSave<TCardCurrentUse>},
    {"TControlCardNumber", 18, LoadAndSave<TControlCardNumber>},
    {"TControlVehicleRegistration", 15, LoadAndSave<TControlVehicleRegistration>},
    {"TCardControlActivityDataRecord", 46, LoadAndSave<TCardControlActivityDataRecord>},
    {"TSpecificConditionRecord", 5, LoadAndSave<TSpecificConditionRecord>},
};

TEST(CardRecords, FixedLayoutsConsumeTheirSizeAndSaveTheSameBytes)
{
    for (const LayoutCase& c : kFixedLayouts) {
        SCOPED_TRACE(c.name);
        // Three trailing bytes that the record must leave alone.
        const Bytes input = Pattern(c.size + 3, 0x81);
        const RoundTrip result = c.run(input);
        EXPECT_EQ(result.consumed, c.size);
        EXPECT_EQ(result.saved, Bytes(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(c.size)));
    }
}

TEST(CardRecords, TruncatedRecordIsPartlyZero)
{
    TCardIdentification record;
    TMemoryStream in(Concat({Bytes{0x0B}, Padded("E123", 16), Bytes(36, 'A'), Bytes{0x3A, 0x5B}}));
    record.LoadFromStream(in);
    EXPECT_EQ(record.cardIssuingMemberState, 0x0B);
    EXPECT_EQ(record.cardIssueDate, 0x3A5B0000u);
    EXPECT_EQ(record.cardExpiryDate, 0u);
    EXPECT_EQ(in.Position(), in.Size());
}

std::string Caption(const TvtInfoProvide& record, int index)
{
    std::wstring caption = L"untouched";
    TvtInfoProvide* child = nullptr;
    record.GetItem(index, caption, child);
    return std::string(caption.begin(), caption.end());
}

template <class Record> std::string CaptionOf(const Bytes& bytes, int index)
{
    Record record;
    TMemoryStream in(bytes);
    record.LoadFromStream(in);
    return Caption(record, index);
}

struct CaptionCase {
    const char* name;
    std::function<std::string()> actual;
    std::string expected;
};

const Bytes kIdentification = CardImageBuilder::IdentificationBody(0x0B, "E1234", "SURNAME", "FIRST");
const Bytes kIncident = Concat({Bytes{0x05}, BE32(0x11223344), BE32(0x55667788), Bytes{0x0B}, Bytes(14, 0)});

const CaptionCase kCaptions[] = {
    {"issue date as 8 digits", [] { return CaptionOf<TCardIdentification>(kIdentification, 3); },
     "cardIssueDate : 3A5B1C00"},
    {"nation as 2 digits", [] { return CaptionOf<TCardIdentification>(kIdentification, 0); },
     "cardIssuingMemberState : 0B"},
    {"vehicle count keeps its odd label",
     [] {
         ApplicationCounts counts;
         counts.noOfCardVehicleRecords = 84;
         return CaptionOf<TDriverCardApplicationIdentification>(CardImageBuilder::ApplicationIdentificationBody(counts), 5);
     },
     "noOfCardVehicleRecord := 0054"},
    {"first names shown under the surname label",
     [] { return CaptionOf<TDriverCardHolderIdentification>(Bytes(78, 0x46), 1).substr(0, 26); },
     "cardHolderSurName : 46 46 "},
    {"surname label", [] { return CaptionOf<TDriverCardHolderIdentification>(Bytes(78, 0x46), 0).substr(0, 20); },
     "cardHolderName : 46 "},
    {"event type", [] { return CaptionOf<TCardEventRecord>(kIncident, 0); }, "eventType : 05"},
    {"event begin", [] { return CaptionOf<TCardEventRecord>(kIncident, 1); }, "eventBeginTime : 11223344"},
    {"fault end", [] { return CaptionOf<TCardFaultRecord>(kIncident, 2); }, "faultEndTime : 55667788"},
    {"fault nation", [] { return CaptionOf<TCardFaultRecord>(kIncident, 3); }, "vehicleRegistrationNation : 0B"},
    {"odometer as hex bytes", [] { return CaptionOf<TPlaceRecord>(Pattern(10), 4); },
     "vehicleOdomerterValue : 08 09 0A "},
    {"control period label", [] { return CaptionOf<TCardControlActivityDataRecord>(Bytes(46, 0), 4); },
     "controlDowloadPeriodBegin : 00000000"},
    {"download time", [] { return CaptionOf<TLastCardDownload>(BE32(0x5F5E1000), 0); }, "data : 5F5E1000"},
    {"day distance shows a fixed text", [] { return CaptionOf<TCardActivityDailyRecord>(DailyRecord(0, 0), 4); },
     "activityDailyPresenceCounter : ????????????????"},
    {"daily record item 5 leaves the caption as it was",
     [] { return CaptionOf<TCardActivityDailyRecord>(DailyRecord(0, 0), 5); }, "untouched"},
    {"an index past the items leaves the caption as it was",
     [] { return CaptionOf<TCardChipIdentification>(Pattern(8), 2); }, "untouched"},
    {"a negative index leaves the caption as it was",
     [] { return CaptionOf<TCardIccIdentification>(Pattern(25), -1); }, "untouched"},
};

TEST(CardRecords, Captions)
{
    for (const CaptionCase& c : kCaptions) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.actual(), c.expected);
    }
}

TEST(CardRecords, CertificateShowsAllItsBytes)
{
    const std::string caption = CaptionOf<TMemberStateCertificate>(Pattern(194), 0);
    EXPECT_EQ(caption.size(), std::string("data : ").size() + 194 * 3);
    EXPECT_EQ(caption.substr(0, 16), "data : 01 02 03 ");
}

TEST(CardRecords, ControlRecordLoadsItsParts)
{
    TCardControlActivityDataRecord record;
    const Bytes input = Pattern(46);
    TMemoryStream in(input);
    record.LoadFromStream(in);
    EXPECT_EQ(in.Position(), 46u);
    EXPECT_EQ(record.controlTime, 0x02030405u);
    EXPECT_EQ(record.ControlCardNumber().cardType, 0x06);
    EXPECT_EQ(record.ControlCardNumber().cardNumber[15], 0x17);
    EXPECT_EQ(record.ControlVehicleRegistration().vehicleRegistrationNation, 0x18);
    EXPECT_EQ(record.controlDownloadPeriodEnd, 0x2B2C2D2Eu);

    std::wstring caption;
    TvtInfoProvide* child = nullptr;
    record.GetItem(2, caption, child);
    EXPECT_EQ(caption, L"controlCardNumber");
    EXPECT_EQ(child, &record.ControlCardNumber());
    record.GetItem(3, caption, child);
    EXPECT_EQ(caption, L"controlVehicleRegistration");
    EXPECT_EQ(child, &record.ControlVehicleRegistration());
}

TEST(CardRecords, DailyRecordLengths)
{
    struct {
        std::uint16_t length;
        std::size_t changes;
        std::size_t consumed;
    } const cases[] = {{0, 0, 12}, {11, 0, 12}, {12, 0, 12}, {13, 0, 12}, {14, 1, 14}, {16, 2, 16}, {17, 2, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        TCardActivityDailyRecord record;
        TMemoryStream in(Concat({DailyRecord(0, c.length, 0, {0x0801, 0x8A00}), Pattern(8)}));
        record.LoadFromStream(in);
        EXPECT_EQ(record.Changes().size(), c.changes);
        EXPECT_EQ(in.Position(), c.consumed);
        if (c.changes == 2) {
            EXPECT_EQ(record.Changes()[1].data, 0x8A00);
        }
    }
}

TEST(CardRecords, DailyRecordLengthOneToTenIsARangeError)
{
    for (std::uint16_t length = 1; length <= 10; ++length) {
        SCOPED_TRACE(length);
        TCardActivityDailyRecord record;
        TMemoryStream in(Concat({Pattern(4), DailyRecord(0, length)}));
        in.SetPosition(4);
        try {
            record.LoadFromStream(in);
            ADD_FAILURE() << "no error";
        } catch (const ETachoError& e) {
            EXPECT_NE(std::string(e.what()).find("range error"), std::string::npos);
            EXPECT_EQ(e.Offset(), 4u);
        }
    }
}

TEST(CardRecords, DailyRecordLongerThanItsDataFailsBeforeAllocating)
{
    TCardActivityDailyRecord record;
    TMemoryStream in(Concat({DailyRecord(0, 0xFFFF), Bytes(88, 0)}));
    EXPECT_THROW(record.LoadFromStream(in), ETachoError);
    EXPECT_TRUE(record.Changes().empty());
}

// A card that holds only an application identification with these counts.
std::unique_ptr<T1BDriverCard> CardWith(const ApplicationCounts& counts)
{
    auto card = std::make_unique<T1BDriverCard>();
    TMemoryStream image(MakeCardImage().AddApplicationIdentification(counts).Image());
    card->LoadImage(image);
    return card;
}

TEST(CardRecords, EventDataIsSizedByTheCard)
{
    ApplicationCounts counts;
    counts.noOfEventsPerType = 12;
    const auto card = CardWith(counts);
    TCardEventData events(*card);
    ASSERT_EQ(events.ItemCount(), 6);
    for (std::size_t g = 0; g < 6; ++g)
        EXPECT_EQ(events.Group(g).Count(), 12u);

    const Bytes input = Pattern(6 * 12 * 24 + 5);
    TMemoryStream in(input);
    events.LoadFromStream(in, *card);
    EXPECT_EQ(in.Position(), 1728u);
    EXPECT_EQ(events.Group(5)[11].type, input[1728 - 24]);

    TMemoryStream out;
    events.SaveToStream(out, *card);
    EXPECT_EQ(out.Buffer(), Bytes(input.begin(), input.begin() + 1728));

    std::wstring caption;
    TvtInfoProvide* child = nullptr;
    events.GetItem(2, caption, child);
    EXPECT_EQ(caption, L"CardEventRecords");
    EXPECT_EQ(child, &events.Group(2));
    events.Group(2).GetItem(0, caption, child);
    EXPECT_EQ(caption, L"CardEventRecord");
}

TEST(CardRecords, ListsRoundTripWithTheirCounts)
{
    ApplicationCounts counts;
    counts.noOfFaultsPerType = 3;
    counts.noOfCardVehicleRecords = 4;
    counts.noOfCardPlaceRecords = 5;
    const auto card = CardWith(counts);

    struct {
        const char* name;
        std::size_t size;
        std::function<RoundTrip(const Bytes&)> run;
    } const cases[] = {
        {"faults", 2 * 3 * 24, [&](const Bytes& b) {
             TCardFaultData r(*card); TMemoryStream in(b); r.LoadFromStream(in, *card);
             TMemoryStream out; r.SaveToStream(out, *card); return RoundTrip{in.Position(), out.Buffer()}; }},
        {"vehicles", 2 + 4 * 31, [&](const Bytes& b) {
             TCardVehiclesUsed r(*card); TMemoryStream in(b); r.LoadFromStream(in, *card);
             TMemoryStream out; r.SaveToStream(out, *card); return RoundTrip{in.Position(), out.Buffer()}; }},
        {"places", 1 + 5 * 10, [&](const Bytes& b) {
             TCardPlaceDailyWorkPeriod r(*card); TMemoryStream in(b); r.LoadFromStream(in, *card);
             TMemoryStream out; r.SaveToStream(out, *card); return RoundTrip{in.Position(), out.Buffer()}; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes input = Pattern(c.size + 7);
        const RoundTrip result = c.run(input);
        EXPECT_EQ(result.consumed, c.size);
        EXPECT_EQ(result.saved, Bytes(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(c.size)));
    }
}

TEST(CardRecords, ListsOfACardWithoutApplicationIdentificationAreEmpty)
{
    const T1BDriverCard card;
    TCardEventData events(card);
    EXPECT_EQ(events.Group(0).ItemCount(), 0);
    TCardVehiclesUsed vehicles(card);
    TCardPlaceDailyWorkPeriod places(card);
    TMemoryStream in(Pattern(40));
    events.LoadFromStream(in, card);
    EXPECT_EQ(in.Position(), 0u);
    vehicles.LoadFromStream(in, card);
    EXPECT_EQ(in.Position(), 2u);
    places.LoadFromStream(in, card);
    EXPECT_EQ(in.Position(), 3u);
    EXPECT_EQ(vehicles.Count(), 0u);
    EXPECT_EQ(places.Count(), 0u);
}

// A 16-bit vehicle count in a short body: the list keeps its declared length
// and saves it in full, but only the records the data holds are built.
TEST(CardRecords, HugeVehicleCountInAShortBody)
{
    ApplicationCounts counts;
    counts.noOfCardVehicleRecords = 0xFFFF;
    const auto card = CardWith(counts);
    TCardVehiclesUsed vehicles(*card);
    const Bytes input = Concat({BE16(0x0001), Pattern(40)});
    TMemoryStream in(input);
    vehicles.LoadFromStream(in, *card);
    EXPECT_EQ(vehicles.Count(), 0xFFFFu);
    EXPECT_EQ(vehicles.Record(1).vehicleOdometerBegin[0], input[2 + 31]);
    EXPECT_EQ(vehicles.Record(1).vuDataBlockCounter, 0u); // cut short
    EXPECT_EQ(vehicles.Record(500).vehicleFirstUse, 0u);

    TMemoryStream out;
    vehicles.SaveToStream(out, *card);
    ASSERT_EQ(out.Size(), 2u + 0xFFFFu * 31u);
    EXPECT_TRUE(std::equal(input.begin(), input.end(), out.Buffer().begin()));
}

} // namespace
