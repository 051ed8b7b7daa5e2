#include "ContainerBuilder.h"
#include "StoreRecorder.h"
#include "uArchiveStore.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace pellkit::test;

namespace {

const TArchiveTime kNow{2024, 1, 31, 15, 42, 7};
constexpr std::uint32_t kOverviewTime = 1706715720;  // 2024-01-31 15:42:00 UTC
const std::string kVin = "XYZ12345678901234";

QString Name(const std::string& name8) { return Latin1Name(name8); }

class StoreTest : public ::testing::Test {
protected:
    TStoreOptions Options() const
    {
        TStoreOptions o;
        o.destination = dest_.path();
        o.cardFormat = cardFormat_;
        o.vehicleFormat = vehicleFormat_;
        o.now = [] { return kNow; };
        o.contentWriter = writer_;
        return o;
    }
    TStoreSummary Store(const Bytes& data)
    {
        TMemoryStream stream(data);
        return StoreContainer(stream, Options(), rec_);
    }
    QStringList Files() const { return FilesIn(dest_.path()); }
    QByteArray Content(const QString& name) const { return FileBytes(dest_.filePath(name)); }

    QTemporaryDir dest_;
    int cardFormat_ = 0;
    int vehicleFormat_ = 0;
    TContentWriter writer_;
    TStoreRecorder rec_;
};

} // namespace

TEST_F(StoreTest, VuResponseHasNoMinimumSize)
{
    const TStoreSummary s = Store({0xF0, 0x0A, 0xF1, 0x08, 0xA2, 0x06, 0x76, 0x02, 1, 2, 3, 4});
    const QString name = Name(VehicleArchiveName(0, "", "", kNow, 0));
    EXPECT_EQ(Files(), QStringList{name});
    EXPECT_EQ(Content(name), AsArray({0x76, 0x02, 1, 2, 3, 4}));
    EXPECT_TRUE(s.allSafe);
    EXPECT_EQ(s.written, 1);
    EXPECT_EQ(rec_.status, (QStringList{"F0 : 10", MessageText(msg::StatusEntry) + "8", "PRT 2 : 6"}));
    ASSERT_EQ(rec_.archives.size(), 1u);
    EXPECT_EQ(rec_.archives[0].outcome, TArchiveOutcome::Written);
    EXPECT_EQ(rec_.archives[0].bytes, 6);
    EXPECT_TRUE(rec_.information.isEmpty() && rec_.messages.isEmpty());
}

TEST_F(StoreTest, VuArchiveHoldsItsResponsesInOrderAndIsNamedFromTheOverview)
{
    vehicleFormat_ = 2;
    cardFormat_ = 1;  // must not matter for a VU
    const Bytes overview = MakeOverviewResponse(0x0D, "AB 123 CD", kVin, kOverviewTime);
    const Bytes activities = MakeResponse(0x02, 300);
    const Bytes events = MakeResponse(0x03, 10);
    const TStoreSummary s = Store(MakeContainer({{{0xA1, overview}, {0xA2, activities}, {0xA3, events}}}));
    const QString name = Name(VehicleArchiveName(0x0D, "AB 123 CD", kVin, ArchiveTimeFromTimeReal(kOverviewTime), 2));
    EXPECT_EQ(name, "V_AB 123 CD_D__20240131_1542.TGD");
    EXPECT_EQ(Files(), QStringList{name});
    EXPECT_EQ(Content(name), AsArray(Concat({overview, activities, events})));
    EXPECT_TRUE(s.allSafe);
    EXPECT_TRUE(rec_.status.contains("PRT 2 : 302"));
}

TEST_F(StoreTest, OverviewAloneWritesNothingButWithA8hGoesToTheSeparateArchive)
{
    const Bytes overview = MakeOverviewResponse(0x0D, "AB 123 CD", kVin, kOverviewTime);
    TStoreSummary s = Store(MakeContainer({{{0xA1, overview}}}));
    EXPECT_EQ(Files(), QStringList{});
    EXPECT_TRUE(s.allSafe);

    const Bytes speed{0x76, 0x04, 7, 7, 7};
    s = Store(MakeContainer({{{0xA1, overview}, {0xA8, speed}}}));
    const QString name = Name(SpeedArchiveName("AB 123 CD", kVin, ArchiveTimeFromTimeReal(kOverviewTime)));
    EXPECT_EQ(Files(), QStringList{name});
    EXPECT_EQ(Content(name), AsArray(Concat({overview, speed})));
    EXPECT_TRUE(s.allSafe);
}

TEST_F(StoreTest, CardReadThroughAVuLosesItsHeaderAndIsStampedNow)
{
    const Bytes image = MakeCardImage(
        TCardFields().Nation(0x11).Number("ABC1234567890001").Holder("MARTIN", "PAUL").LastDownload(kOverviewTime));
    const Bytes overview = MakeOverviewResponse(0x0D, "AB 123 CD", kVin, kOverviewTime);
    // The overview before the card neither names nor joins the card archive.
    const TStoreSummary s = Store(MakeContainer({{{0xA1, overview}, {0xA6, Concat({{0x76, 0x06}, image})}}}));
    const QString name = Name(CardArchiveName(0x11, "ABC1234567890001", "MARTIN", "PAUL", kNow, 0));
    EXPECT_EQ(name, "C_20240131_1542_P_MARTIN_ABC1234567890001.DDD");
    EXPECT_EQ(Files(), QStringList{name});
    EXPECT_EQ(Content(name), AsArray(image));
    EXPECT_TRUE(s.allSafe);
}

TEST_F(StoreTest, DirectCardIsStoredWholeAndNamedFromItsLastDownload)
{
    cardFormat_ = 1;
    const Bytes image = MakeCardImage(TCardFields().Nation(0x11).Number("ABC1234567890001").Holder("", "").LastDownload(0));
    Store(MakeContainer({{{0xA7, image}}}));
    const QString name = Name(CardArchiveName(0x11, "ABC1234567890001", "", "", ArchiveTimeFromTimeReal(0), 1));
    EXPECT_EQ(name, "F__ABC123456789007001010000.C1B");
    EXPECT_EQ(Files(), QStringList{name});
    EXPECT_EQ(Content(name), AsArray(image));
}

TEST_F(StoreTest, CardWithoutIdentificationIsNamedWithTheStandInTexts)
{
    const Bytes image = MakeCardImage(TCardFields().NoIdentification());
    const TStoreSummary s = Store(MakeContainer({{{0xA7, image}}}));
    const std::string number = MessageText(msg::NoIdentificationNumber).toLatin1().toStdString();
    const std::string holder = MessageText(msg::NoIdentificationName).toLatin1().toStdString();
    ASSERT_FALSE(number.empty());
    EXPECT_EQ(Files(), QStringList{Name(CardArchiveName(0, number, holder, holder, kNow, 0))});
    EXPECT_TRUE(s.allSafe);
}

TEST_F(StoreTest, CardWithABlankNumberIsStoredNotTakenForAVu)
{
    const Bytes image = MakeCardImage(TCardFields().Number(""));
    const TStoreSummary s = Store(MakeContainer({{{0xA7, image}}}));
    const std::string number = MessageText(msg::NoIdentificationNumber).toLatin1().toStdString();
    EXPECT_EQ(Files(), QStringList{Name(CardArchiveName(0x0F, number, "SURNAME", "FIRST", kNow, 0))});
    EXPECT_TRUE(s.allSafe);
}

TEST_F(StoreTest, EveryCardIsNamedFromItsOwnIdentification)
{
    const Bytes first = MakeCardImage(TCardFields().Number("A000000000000001").Holder("ONE", "X"));
    const Bytes second = MakeCardImage(TCardFields().Number("A000000000000002").Holder("TWO", "Y"));
    Store(MakeContainer({{{0xA7, first}}, {{0xA7, second}}}));
    EXPECT_EQ(Files(), (QStringList{Name(CardArchiveName(0x0F, "A000000000000001", "ONE", "X", kNow, 0)),
                                    Name(CardArchiveName(0x0F, "A000000000000002", "TWO", "Y", kNow, 0))}));
}

TEST_F(StoreTest, SmallCardArchivesAndEmptyEntriesWriteNothingAndAreSafe)
{
    const Bytes tiny = MakeCardImage(TCardFields().NoIdentification().LastDownload(5).PadTo(0));
    const Bytes tinyViaVu{0x76, 0x06, 1, 2, 3};
    const TStoreSummary s = Store(MakeContainer({{{0xA7, tiny}},
                                                 {{0xA6, tinyViaVu}},
                                                 {}}));
    EXPECT_EQ(Files(), QStringList{});
    EXPECT_TRUE(s.allSafe);
    EXPECT_EQ(s.entries, 3);
}

TEST_F(StoreTest, BrokenGrammarIsReportedAndNotSafe)
{
    const struct {
        const char* what;
        Bytes bytes;
        int code;
    } cases[] = {
        {"first tag not F0", {0xF1, 0x02, 0xA2, 0x00}, msg::NoF0Tag},
        {"F0 00 alone", {0xF0, 0x00}, msg::NoF1Tag},
        {"part tag outside A0..AF", {0xF0, 0x04, 0xF1, 0x02, 0x52, 0x00}, msg::PartTagInvalid},
    };
    for (const auto& c : cases) {
        TStoreRecorder rec;
        TMemoryStream stream(c.bytes);
        const TStoreSummary s = StoreContainer(stream, Options(), rec);
        EXPECT_FALSE(s.allSafe) << c.what;
        EXPECT_TRUE(rec.information.contains(MessageText(c.code))) << c.what;
    }
    EXPECT_EQ(Files(), QStringList{});
}

TEST_F(StoreTest, HostileLengthsNeitherCrashNorStoreAnything)
{
    const Bytes vu = MakeResponse(0x02, 60);
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"part longer than the data", {0xF0, 0x00, 0xF1, 0x08, 0xA2, 0x84, 0xFF, 0xFF, 0xFF, 0xF0, 0x76, 0x02}},
        {"entry longer than the data", Concat({{0xF0, 0x00, 0xF1, 0x84, 0x7F, 0xFF, 0xFF, 0xFF, 0xA2, 62}, vu})},
    };
    for (const auto& c : cases) {
        TStoreRecorder rec;
        TMemoryStream stream(c.bytes);
        const TStoreSummary s = StoreContainer(stream, Options(), rec);
        EXPECT_FALSE(s.allSafe) << c.what;
        ASSERT_EQ(rec.messages.size(), 1) << c.what;
        EXPECT_TRUE(rec.messages[0].startsWith(MessageText(msg::EntryUnreadable).section("%1", 0, 0))) << c.what;
    }
    EXPECT_EQ(Files(), QStringList{});
}

// A surname, card number or registration can carry anything.
TEST_F(StoreTest, NamesFromDeviceDataStayInTheDestination)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir("dest"));
    const QString dest = root.filePath("dest");
    TStoreOptions o = Options();
    o.destination = dest;
    const Bytes overview = MakeOverviewResponse(0x0D, "../..\\x", kVin, kOverviewTime);
    const Bytes card = MakeCardImage(TCardFields().Number(std::string("../\x01\0", 5) + "9").Holder("A/B", "FIRST"));
    TMemoryStream stream(MakeContainer({{{0xA1, overview}, {0xA2, MakeResponse(0x02, 4)}, {0xA9, {1}}},
                                        {{0xA7, card}}}));
    const TStoreSummary s = StoreContainer(stream, o, rec_);
    EXPECT_TRUE(s.allSafe);
    EXPECT_EQ(FilesIn(root.path()), QStringList{});
    EXPECT_EQ(FilesIn(dest), (QStringList{"C_20240131_1542_F_A_B_..___9.DDD",
                                          "M_20240131_1542_.._.._x_XYZ12345678901234.DDD",
                                          "S_20240131_1542_.._.._x_XYZ12345678901234.DDD"}));
}

TEST_F(StoreTest, EightBitTextsBecomeLatin1Names)
{
    const Bytes overview = MakeOverviewResponse(0x0F, "MI\xD1" "ANO", kVin, kOverviewTime);
    Store(MakeContainer({{{0xA1, overview}, {0xA2, MakeResponse(0x02, 4)}}}));
    EXPECT_EQ(Files(), QStringList{QString::fromUtf8("M_20240131_1542_MIÑANO_XYZ12345678901234.DDD")});
}

// Two downloads of one card through a VU in the same minute get the same name.
TEST_F(StoreTest, ArchivesUnderATakenNameAreNeverDropped)
{
    const Bytes morning = MakeCardImage(TCardFields().LastDownload(1));
    const Bytes evening = MakeCardImage(TCardFields().LastDownload(2));
    const auto viaVu = [](const Bytes& image) { return Concat({{0x76, 0x06}, image}); };
    const QString name = Name(CardArchiveName(0x0F, "ES00000000000001", "SURNAME", "FIRST", kNow, 0));
    const QString second = NumberedArchiveName(name, 2);

    const TStoreSummary s =
        Store(MakeContainer({{{0xA6, viaVu(morning)}}, {{0xA6, viaVu(evening)}}, {{0xA6, viaVu(morning)}}}));
    EXPECT_EQ(Files(), (QStringList{name, second}));
    EXPECT_EQ(Content(name), AsArray(morning));
    EXPECT_EQ(Content(second), AsArray(evening));
    EXPECT_TRUE(s.allSafe);
    EXPECT_EQ(s.written, 1);
    EXPECT_EQ(s.writtenUnderOtherName, 1);
    EXPECT_EQ(s.skippedIdentical, 1);
    ASSERT_EQ(rec_.archives.size(), 3u);
    EXPECT_EQ(rec_.archives[1].outcome, TArchiveOutcome::WrittenUnderOtherName);
    EXPECT_EQ(rec_.archives[1].name, name);
    EXPECT_EQ(rec_.archives[1].fileName, second);
    EXPECT_EQ(rec_.archives[2].outcome, TArchiveOutcome::SkippedIdentical);

    // A second download of the same data leaves the first one's archives as they are.
    const TStoreSummary again = Store(MakeContainer({{{0xA6, viaVu(morning)}}, {{0xA6, viaVu(evening)}}}));
    EXPECT_TRUE(again.allSafe);
    EXPECT_EQ(again.skippedIdentical, 2);
    EXPECT_EQ(Files(), (QStringList{name, second}));
}

TEST_F(StoreTest, ManyEntriesOfOneNameAreAllKeptAndRecognisedOnTheNextDownload)
{
    // Tiny VU responses all named alike: each search goes on from the last.
    std::vector<TEntryParts> entries;
    for (std::uint8_t i = 0; i < 40; ++i)
        entries.push_back({{0xA2, {0x76, 0x02, i}}});
    const Bytes data = MakeContainer(entries);
    const QString name = Name(VehicleArchiveName(0, "", "", kNow, 0));

    const TStoreSummary s = Store(data);
    EXPECT_TRUE(s.allSafe);
    EXPECT_EQ(s.written + s.writtenUnderOtherName, 40);
    ASSERT_EQ(Files().size(), 40);
    EXPECT_EQ(Content(name), AsArray({0x76, 0x02, 0}));
    EXPECT_EQ(Content(NumberedArchiveName(name, 40)), AsArray({0x76, 0x02, 39}));

    const TStoreSummary again = Store(data);
    EXPECT_TRUE(again.allSafe);
    EXPECT_EQ(again.skippedIdentical, 40);
    EXPECT_EQ(Files().size(), 40);
}

TEST_F(StoreTest, MissingDestinationIsReportedAndNotSafe)
{
    const Bytes data = MakeContainer({{{0xA7, MakeCardImage(TCardFields())}}, {{0xA2, MakeResponse(0x02, 4)}}});
    for (const QString& missing : {dest_.filePath("gone"), QString()}) {
        TStoreRecorder rec;
        TStoreOptions o = Options();
        o.destination = missing;
        TMemoryStream stream(data);
        const TStoreSummary s = StoreContainer(stream, o, rec);
        EXPECT_FALSE(s.allSafe);
        EXPECT_EQ(s.failed, 2);
        const QString card = Name(CardArchiveName(0x0F, "ES00000000000001", "SURNAME", "FIRST", kNow, 0));
        // The name, then the system's reason.
        EXPECT_EQ(rec.messages.first(),
                  MessageText(msg::ArchiveWriteFailed) + " " + card + ": the destination directory does not exist");
        EXPECT_EQ(rec.messages.size(), 2);
    }
}

TEST_F(StoreTest, FailedWriteIsReportedLeavesNoHalfArchiveAndTheNextEntryFollows)
{
    int calls = 0;
    writer_ = [&](QFileDevice& file, std::span<const std::uint8_t> bytes) {
        if (++calls > 1)
            return file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
                   static_cast<qint64>(bytes.size());
        file.write(reinterpret_cast<const char*>(bytes.data()), 10);
        return false;
    };
    const TStoreSummary s = Store(MakeContainer({{{0xA7, MakeCardImage(TCardFields())}}, {{0xA2, MakeResponse(0x02, 4)}}}));
    const QString card = Name(CardArchiveName(0x0F, "ES00000000000001", "SURNAME", "FIRST", kNow, 0));
    EXPECT_FALSE(s.allSafe);
    ASSERT_EQ(rec_.messages.size(), 1);
    EXPECT_TRUE(rec_.messages.first().startsWith(MessageText(msg::ArchiveWriteFailed) + " " + card + ": "))
        << rec_.messages.first().toStdString();
    EXPECT_EQ(Files(), QStringList{Name(VehicleArchiveName(0, "", "", kNow, 0))});
}

TEST_F(StoreTest, CardEntryWithSeparatePartsKeepsTheCardAndReportsTheRest)
{
    // The extra parts have no archive of their own: they are named as not
    // archived (the data file keeps them), and the card archive is written.
    const Bytes image = MakeCardImage(TCardFields());
    const TStoreSummary s = Store(MakeContainer({{{0xA7, image}, {0xA8, {1, 2, 3}}}}));
    const QString card = Name(CardArchiveName(0x0F, "ES00000000000001", "SURNAME", "FIRST", kNow, 0));
    EXPECT_EQ(Files(), QStringList{card});
    EXPECT_EQ(Content(card), AsArray(image));
    EXPECT_TRUE(s.allSafe);
    EXPECT_TRUE(rec_.messages.isEmpty());
    ASSERT_EQ(rec_.notArchived.size(), 1u);
    EXPECT_EQ(rec_.notArchived.front().why, TNotArchived::PartsNotArchived);
}
