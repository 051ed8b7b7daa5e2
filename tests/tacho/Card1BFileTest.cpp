// The card walk over synthetic images: framing, slots, identification,
// signatures and the activity ring.
#include "CardImageBuilder.h"
#include "uCard1BStruct.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace pellkit::test;

std::unique_ptr<T1BDriverCard> Load(const Bytes& image, bool identificationOnly = false, std::size_t start = 0)
{
    auto card = std::make_unique<T1BDriverCard>();
    TMemoryStream stream(image);
    stream.SetPosition(start);
    if (identificationOnly)
        card->LoadIdentification(stream);
    else
        card->LoadImage(stream);
    return card;
}

std::string ErrorOf(const Bytes& image)
{
    try {
        Load(image);
    } catch (const ETachoError& e) {
        return e.what();
    }
    return "no error";
}

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

int FilledSlots(const T1BDriverCard& card)
{
    int n = 0;
    for (int i = 0; i < T1BDriverCard::kSlotCount; ++i)
        n += card.Slot(i) != nullptr;
    return n;
}

TEST(CardWalk, FiveBytesOrFewerGiveAnEmptyCard)
{
    const Bytes bytes = {0x05, 0x20, 0x00, 0x00, 0x8F};
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
        SCOPED_TRACE(n);
        const Bytes image(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        const auto card = Load(image);
        EXPECT_EQ(FilledSlots(*card), 0);
        EXPECT_EQ(card->RawImage(), image);
        EXPECT_FALSE(card->HasIdentification());
        EXPECT_EQ(card->ItemCount(), 16);
    }
}

TEST(CardWalk, IdentificationAlone)
{
    const Bytes image = MakeCardImage().AddIdentification(0x0F, "E1234567890123", "GARCIA", "ANA MARIA").Image();
    ASSERT_EQ(image.size(), 5u + 143u);
    for (bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "LoadIdentification" : "LoadImage");
        const auto card = Load(image, quick);
        EXPECT_TRUE(card->HasIdentification());
        EXPECT_EQ(card->IssuingNation(), 0x0F);
        EXPECT_EQ(card->CardNumberText(), "E1234567890123");
        EXPECT_EQ(card->SurnameText(), "GARCIA");
        EXPECT_EQ(card->FirstNamesText(), "ANA MARIA");
        EXPECT_FALSE(card->LastDownloadTime().has_value());
        EXPECT_EQ(FilledSlots(*card), 1);
        EXPECT_EQ(card->Slot(T1BDriverCard::kIdentification)->BodyOffset, 5);
        EXPECT_EQ(card->Slot(T1BDriverCard::kIdentification)->BodyLength, 143);
    }
}

TEST(CardWalk, SignatureBlockIsKeptAndListed)
{
    const Bytes image = MakeCardImage()
                            .AddIdentification(0x0F, "E1", "A", "B")
                            .AddSignature(0x0520, 0xC3)
                            .AddCardDownload(0x644BAF68)
                            .AddSignature(0x050E)
                            .Image();
    const auto card = Load(image);
    const TEFFile* ident = card->Slot(T1BDriverCard::kIdentification);
    ASSERT_NE(ident, nullptr);
    EXPECT_TRUE(ident->HasSignature);
    EXPECT_EQ(ident->Signature[0], 0xC3);
    EXPECT_EQ(ident->Signature[127], 0xC3);
    ASSERT_EQ(ident->ItemCount(), 3);
    std::wstring caption;
    TvtInfoProvide* child = card->Slot(0); // anything: a leaf must clear it
    ident->GetItem(2, caption, child);
    EXPECT_EQ(caption, L"Signature");
    EXPECT_EQ(child, nullptr);
    ident->GetItem(1, caption, child);
    EXPECT_EQ(caption, L"DriverCardHolderIdentification");
    EXPECT_NE(child, nullptr);

    // The download file lists no signature, signed or not.
    EXPECT_TRUE(card->Slot(T1BDriverCard::kCardDownload)->HasSignature);
    EXPECT_EQ(card->Slot(T1BDriverCard::kCardDownload)->ItemCount(), 1);
    EXPECT_EQ(card->LastDownloadTime(), 0x644BAF68u);

    // The signed data is the data block body.
    const auto body = card->DataBody(*ident);
    EXPECT_EQ(Bytes(body.begin(), body.end()), Bytes(image.begin() + 5, image.begin() + 5 + 143));
}

TEST(CardWalk, FileMetOnlyThroughItsSignatureIsEmpty)
{
    const auto card = Load(MakeCardImage().AddSignature(0x0520).Image());
    EXPECT_TRUE(card->HasIdentification());
    EXPECT_FALSE(card->Slot(T1BDriverCard::kIdentification)->HasData);
    EXPECT_EQ(card->IssuingNation(), 0);
    EXPECT_EQ(card->CardNumberText(), "");
    EXPECT_EQ(card->SurnameText(), "");
    EXPECT_TRUE(card->DataBody(*card->Slot(T1BDriverCard::kIdentification)).empty());
}

TEST(CardWalk, OffsetsCountFromTheImageStart)
{
    const Bytes image =
        MakeCardImage().AddRaw({0xEE, 0xEE}).AddCardDownload(0x01020304).AddIdentification(0x0F, "E9", "S", "F").Image();
    const auto card = Load(image, false, 2);
    EXPECT_EQ(card->RawImage(), Bytes(image.begin() + 2, image.end()));
    EXPECT_EQ(card->Slot(T1BDriverCard::kCardDownload)->BodyOffset, 5);
    EXPECT_EQ(card->Slot(T1BDriverCard::kIdentification)->BodyOffset, 5 + 4 + 5);
    EXPECT_EQ(card->Blocks().at(1).headerOffset, 9u);
    EXPECT_EQ(card->CardNumberText(), "E9");
    EXPECT_EQ(card->LastDownloadTime(), 0x01020304u);
}

TEST(CardWalk, UnknownFidIsNotSteppedOver)
{
    // The next header is read from the first bytes of the unknown file's body.
    const Bytes body = Concat({Bytes{0x05, 0x0E, 0x00, 0x00, 0x04}, BE32(0x5F000000), Bytes{0x99}});
    const auto card = Load(MakeCardImage().AddFile(0x0523, 0, body).Image());
    EXPECT_EQ(card->LastDownloadTime(), 0x5F000000u);
    ASSERT_EQ(card->Blocks().size(), 2u);
    EXPECT_EQ(card->Blocks()[0].slot, -1);
    EXPECT_EQ(card->Blocks()[0].consumed, 0u);
    EXPECT_EQ(card->Blocks()[1].headerOffset, 5u);
}

TEST(CardWalk, OtherBlockKindsReadNothing)
{
    const Bytes image = MakeCardImage().AddFile(0x0520, 0x81, Bytes{}).AddCardDownload(7).Image();
    const auto card = Load(image);
    EXPECT_EQ(card->LastDownloadTime(), 7u);
    ASSERT_NE(card->Slot(T1BDriverCard::kIdentification), nullptr); // created by its header all the same
    EXPECT_FALSE(card->Slot(T1BDriverCard::kIdentification)->HasSignature);
    EXPECT_FALSE(card->Slot(T1BDriverCard::kIdentification)->HasData);
}

TEST(CardWalk, LoaderConsumesItsOwnSizeWhateverTheHeaderSays)
{
    // Announced 4, but the identification loader takes 143.
    const Bytes body = CardImageBuilder::IdentificationBody(0x0F, "E5", "S", "F");
    const Bytes image = MakeCardImage().AddFile(0x0520, 0, body, 4).AddCardDownload(9).Image();
    const auto card = Load(image);
    EXPECT_EQ(card->Slot(T1BDriverCard::kIdentification)->BodyLength, 4);
    EXPECT_EQ(card->Blocks()[0].consumed, 143u);
    EXPECT_EQ(card->LastDownloadTime(), 9u);
}

TEST(CardWalk, TruncatedBodyIsLoadedAsFarAsItGoes)
{
    Bytes image = MakeCardImage().AddIdentification(0x0F, "E1234", "SURNAME", "FIRST").Image();
    image.resize(5 + 65 + 10);
    const auto card = Load(image);
    EXPECT_EQ(card->CardNumberText(), "E1234");
    EXPECT_EQ(card->SurnameText(), "SURNAME");
    EXPECT_EQ(card->FirstNamesText(), "");
}

ApplicationCounts SmallCounts()
{
    ApplicationCounts counts;
    counts.noOfEventsPerType = 2;
    counts.noOfFaultsPerType = 3;
    counts.activityStructureLength = 40;
    counts.noOfCardVehicleRecords = 4;
    counts.noOfCardPlaceRecords = 5;
    return counts;
}

// Every file of the card with patterned bodies; the activity ring holds two records.
Bytes FullImage()
{
    const Bytes ring = Concat({DailyRecord(0, 16, 0x5F000000, {0x0801, 0x8A00}), DailyRecord(16, 14, 0x5F015180, {0x1000}),
                               Bytes(10, 0)});
    const ApplicationCounts counts = SmallCounts();
    return MakeCardImage()
        .AddFile(0x0002, 0, Pattern(25, 0x10))
        .AddFile(0x0005, 0, Pattern(8, 0x20))
        .AddApplicationIdentification(counts)
        .AddSignature(0x0501)
        .AddFile(0xC100, 0, Pattern(194, 0x30))
        .AddFile(0xC108, 0, Pattern(194, 0x40))
        .AddIdentification(0x0F, "E0000000001234", "SURNAME", "FIRST NAMES")
        .AddSignature(0x0520)
        .AddCardDownload(0x644BAF68)
        .AddSignature(0x050E)
        .AddFile(0x0521, 0, Pattern(53, 0x50))
        .AddSignature(0x0521)
        .AddFile(0x0502, 0, Pattern(6 * 2 * 24, 0x60))
        .AddSignature(0x0502)
        .AddFile(0x0503, 0, Pattern(2 * 3 * 24, 0x70))
        .AddSignature(0x0503)
        .AddDriverActivity(0, 16, ring)
        .AddSignature(0x0504)
        .AddFile(0x0505, 0, Pattern(2 + 4 * 31, 0x80))
        .AddSignature(0x0505)
        .AddFile(0x0506, 0, Pattern(1 + 5 * 10, 0x90))
        .AddSignature(0x0506)
        .AddFile(0x0507, 0, Pattern(19, 0xA0))
        .AddSignature(0x0507)
        .AddFile(0x0508, 0, Pattern(46, 0xB0))
        .AddSignature(0x0508)
        .AddFile(0x0522, 0, Pattern(56 * 5, 0xC0))
        .AddSignature(0x0522)
        .Image();
}

TEST(CardWalk, FullImage)
{
    const Bytes image = FullImage();
    const auto card = Load(image);
    EXPECT_EQ(FilledSlots(*card), 16);
    const TCardBlock& last = card->Blocks().back();
    EXPECT_EQ(last.headerOffset + 5 + last.consumed, image.size());
    for (const TCardBlock& block : card->Blocks()) {
        SCOPED_TRACE(block.fid);
        EXPECT_EQ(block.consumed, block.length);
    }
    const auto& activity = card->DriverActivityData()->Data();
    ASSERT_EQ(activity.DailyRecordCount(), 2u);
    EXPECT_EQ(activity.DailyRecord(1).activityRecordDate, 0x5F015180u);

    // Display: the card names its slots, the files their records.
    std::wstring caption;
    TvtInfoProvide* child = nullptr;
    card->GetItem(15, caption, child);
    EXPECT_EQ(caption, L"EF_Specific_Conditions");
    EXPECT_EQ(child, card->Slot(15));
    child->GetItem(0, caption, child);
    EXPECT_EQ(caption, L"SpecificConditionRecord ?????????????????????");
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(card->Slot(T1BDriverCard::kICC)->ItemCount(), 1);
    EXPECT_EQ(card->Slot(T1BDriverCard::kEventsData)->ItemCount(), 2);
}

TEST(CardWalk, SavingEveryFileWritesBackTheBytesItRead)
{
    const Bytes image = FullImage();
    auto card = Load(image);
    for (int slot = 0; slot < T1BDriverCard::kSlotCount; ++slot) {
        SCOPED_TRACE(T1BDriverCard::SlotName(slot));
        TEFFile* file = card->Slot(slot);
        ASSERT_NE(file, nullptr);
        TMemoryStream out;
        file->SaveData(out, *card);
        const auto body = card->DataBody(*file);
        EXPECT_EQ(out.Buffer(), Bytes(body.begin(), body.end()));
    }
    EXPECT_EQ(card->LastRecordLength, 14);
}

TEST(CardWalk, QuickLoadMatchesTheFullLoad)
{
    const Bytes image = FullImage();
    const auto full = Load(image);
    const auto quick = Load(image, true);
    EXPECT_EQ(quick->IssuingNation(), full->IssuingNation());
    EXPECT_EQ(quick->CardNumberText(), full->CardNumberText());
    EXPECT_EQ(quick->SurnameText(), full->SurnameText());
    EXPECT_EQ(quick->FirstNamesText(), full->FirstNamesText());
    EXPECT_EQ(quick->LastDownloadTime(), full->LastDownloadTime());
    EXPECT_EQ(FilledSlots(*quick), 5);
    for (int slot : {0, 1, 2, 5, 6})
        EXPECT_NE(quick->Slot(slot), nullptr) << slot;
    EXPECT_EQ(quick->Blocks().size(), full->Blocks().size());
}

TEST(CardWalk, QuickLoadStepsOverByTheAnnouncedLength)
{
    // An events file announced as 3 bytes: the quick walk skips 3, the full one would read 6 x 24.
    const Bytes image = MakeCardImage()
                            .AddApplicationIdentification(SmallCounts())
                            .AddFile(0x0502, 0, Bytes{1, 2, 3})
                            .AddCardDownload(0x11111111)
                            .Image();
    EXPECT_EQ(Load(image, true)->LastDownloadTime(), 0x11111111u);
    // A length past the end just ends the quick walk.
    const auto card = Load(MakeCardImage().AddFile(0xC100, 0, Bytes{1, 2}, 0xFFFF).AddCardDownload(1).Image(), true);
    EXPECT_FALSE(card->LastDownloadTime().has_value());
}

TEST(CardWalk, ListsBeforeTheApplicationIdentificationAreEmpty)
{
    const Bytes image = MakeCardImage()
                            .AddFile(0x0505, 0, Pattern(2))  // vehicles: its pointer only
                            .AddFile(0x0506, 0, Pattern(1))  // places: its pointer only
                            .AddFile(0x0504, 0, Bytes{})     // activity: nothing at all
                            .AddFile(0x0502, 0, Bytes{})     // events: nothing
                            .AddApplicationIdentification(SmallCounts())
                            .AddCardDownload(5)
                            .Image();
    const auto card = Load(image);
    EXPECT_EQ(card->LastDownloadTime(), 5u);
    EXPECT_EQ(card->DriverActivityData()->Data().DailyRecordCount(), 0u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(card->Blocks()[static_cast<std::size_t>(i)].consumed, card->Blocks()[static_cast<std::size_t>(i)].length);
}

// ---- the activity ring ----

std::string RingRead(Bytes ring, std::size_t position, std::size_t count)
{
    T1BActivityStream stream(std::move(ring));
    stream.SetPosition(position);
    Bytes out(count, 0xEE);
    const std::size_t n = stream.Read(out.data(), count);
    return BytesToHex(out) + "n=" + std::to_string(n) + " pos=" + std::to_string(stream.Position());
}

TEST(ActivityStream, WrappingRead)
{
    const Bytes ring = {1, 2, 3, 4, 5};
    struct {
        const char* name;
        std::size_t position, count;
        std::string expected;
    } const cases[] = {
        {"inside", 1, 2, "02 03 n=2 pos=3"},
        {"ending exactly at the end wraps to 0", 3, 2, "04 05 n=2 pos=0"},
        {"across the end", 3, 4, "04 05 01 02 n=4 pos=2"},
        {"the whole ring from the middle", 2, 5, "03 04 05 01 02 n=5 pos=2"},
        {"nothing", 4, 0, "n=0 pos=4"},
        {"at the size after a seek: zeros, no move", 5, 2, "00 00 n=2 pos=5"},
        {"beyond the size: zeros, no move", 9, 3, "00 00 00 n=3 pos=9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RingRead(ring, c.position, c.count), c.expected);
    }
    EXPECT_EQ(RingRead({}, 0, 2), "00 00 n=2 pos=0");
}

// The activity file, followed by a card download unless the image ends with the ring.
Bytes ActivityImage(std::uint16_t length, std::uint16_t oldest, std::uint16_t newest, const Bytes& ring,
                    bool endsWithRing = false)
{
    ApplicationCounts counts;
    counts.activityStructureLength = length;
    CardImageBuilder image = MakeCardImage().AddApplicationIdentification(counts).AddDriverActivity(oldest, newest, ring);
    if (!endsWithRing)
        image.AddCardDownload(3);
    return image.Image();
}

// Places bytes into a ring of size at offset, wrapping round its end.
Bytes RingWith(std::size_t size, std::size_t offset, const Bytes& bytes)
{
    Bytes ring(size, 0);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        ring[(offset + i) % size] = bytes[i];
    return ring;
}

TEST(ActivityRing, RecordWrapsRoundTheEnd)
{
    // Oldest at 90 in a ring of 100: its header is bytes 90..99 and 0..1; the next starts at 2.
    const Bytes records = Concat({DailyRecord(0, 12, 0xA1A2A3A4), DailyRecord(12, 14, 0xB1B2B3B4, {0x0801})});
    const auto card = Load(ActivityImage(100, 90, 2, RingWith(100, 90, records)));
    const auto& activity = card->DriverActivityData()->Data();
    ASSERT_EQ(activity.DailyRecordCount(), 2u);
    EXPECT_EQ(activity.DailyRecordOffsets(), (std::vector<std::size_t>{90, 2}));
    EXPECT_EQ(activity.DailyRecord(0).activityDayDistance, 0x0010);  // bytes 0 and 1 of the ring
    EXPECT_EQ(activity.DailyRecord(1).activityRecordDate, 0xB1B2B3B4u);
    EXPECT_EQ(activity.DailyRecord(1).Changes().at(0).data, 0x0801);
    EXPECT_EQ(card->LastDownloadTime(), 3u);  // the walk went on after the ring
}

TEST(ActivityRing, OldestEqualToNewestGivesOneRecord)
{
    const auto card = Load(ActivityImage(40, 20, 20, RingWith(40, 20, DailyRecord(0, 16, 1, {1, 2}))));
    EXPECT_EQ(card->DriverActivityData()->Data().DailyRecordCount(), 1u);
}

TEST(ActivityRing, EmptyRingReadsNoRecord)
{
    const auto card = Load(ActivityImage(0, 0, 0, {}));
    EXPECT_EQ(card->DriverActivityData()->Data().DailyRecordCount(), 0u);
    EXPECT_EQ(card->LastDownloadTime(), 3u);
}

TEST(ActivityRing, Failures)
{
    struct {
        const char* name;
        Bytes image;
        const char* message;
    } const cases[] = {
        // Records at 0, 12, 24, 36 ... never at 5: one turn and the walk gives up.
        {"newest pointer where no record starts", ActivityImage(48, 0, 5, Bytes(48, 0)), "within one turn"},
        {"zero-length records round a ring whose newest pointer is off", ActivityImage(13, 0, 1, Bytes(13, 0)),
         "within one turn"},
        {"newest pointer beyond the ring", ActivityImage(40, 0, 40, Bytes(40, 0)), "outside"},
        {"oldest pointer beyond the ring", ActivityImage(40, 0xFFFF, 0, Bytes(40, 0)), "outside"},
        {"ring cut short", ActivityImage(100, 0, 0, Bytes(99, 0), true), "stream read error"},
        {"record length in the range error band", ActivityImage(40, 4, 4, RingWith(40, 4, DailyRecord(0, 7))),
         "range error"},
        {"record longer than the ring", ActivityImage(40, 0, 0, Concat({DailyRecord(0, 0xFFFF), Bytes(28, 0)})), "bytes of data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(Contains(ErrorOf(c.image), c.message)) << ErrorOf(c.image);
    }
}

TEST(ActivityRing, ErrorOffsetsPointIntoTheImage)
{
    // Image: app ident block (15), activity header (5), pointers (4), ring starts at 24.
    try {
        Load(ActivityImage(40, 4, 4, RingWith(40, 4, DailyRecord(0, 7))));
        FAIL() << "no error";
    } catch (const ETachoError& e) {
        EXPECT_EQ(e.Offset(), 24u + 4u);
    }
    try {
        Load(ActivityImage(100, 0, 0, Bytes(99, 0), true));
        FAIL() << "no error";
    } catch (const ETachoError& e) {
        EXPECT_EQ(e.Offset(), 24u);
    }
}

TEST(ActivityRing, RingIsSavedAsRead)
{
    const Bytes ring = RingWith(60, 50, Concat({DailyRecord(0, 16, 1, {7, 8}), DailyRecord(16, 12, 2)}));
    auto card = Load(ActivityImage(60, 50, 6, ring));
    TMemoryStream out;
    card->Slot(T1BDriverCard::kDriverActivityData)->SaveData(out, *card);
    EXPECT_EQ(out.Buffer(), Concat({BE16(50), BE16(6), ring}));
}

} // namespace
