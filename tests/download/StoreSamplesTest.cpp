// Real downloads packed into data files the way the Vexa packs them; the
// archives the storage pass writes must be the input files, byte for byte.
#include "ContainerBuilder.h"
#include "Samples.h"
#include "StoreRecorder.h"
#include "uArchiveStore.h"
#include "uCard1BFile.h"
#include "uContainer.h"
#include "uTachy1BStruct.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace pellkit::test;

namespace {

const TArchiveTime kNow{2024, 1, 31, 15, 42, 7};

struct TNullLog : IDebugLog {
    void DebugLog(const QString&) override {}
};

// A VU download is the overview (76 01 ...) followed by the other responses;
// the overview's own length follows from its lock and control counts.
std::size_t OverviewLength(const Bytes& vu)
{
    const std::size_t locksAt = 2 + 491;
    if (vu.size() <= locksAt)
        return vu.size();
    const std::size_t locks = vu[locksAt];
    const std::size_t controlsAt = locksAt + 1 + 98 * locks;
    if (vu.size() <= controlsAt)
        return vu.size();
    return 2 + 621 + 98 * locks + 31 * vu[controlsAt];
}

class StoreSamples : public ::testing::Test {
protected:
    TStoreSummary Store(const Bytes& data)
    {
        TStoreOptions o;
        o.destination = dest_.path();
        o.now = [] { return kNow; };
        TMemoryStream stream(data);
        return StoreContainer(stream, o, rec_);
    }
    int Validate(const Bytes& data)
    {
        TMemoryStream stream(data);
        TNullLog log;
        return ValidateContainer(log, stream);
    }

    QTemporaryDir dest_;
    TStoreRecorder rec_;
};

std::string CardName(const Bytes& image, const TArchiveTime& when)
{
    TMemoryStream s(image);
    T1BDriverCard card;
    card.LoadIdentification(s);
    return CardArchiveName(card.IssuingNation(), card.CardNumberText(), card.SurnameText(), card.FirstNamesText(),
                           when, 0);
}

} // namespace

TEST_F(StoreSamples, CardsReadDirectlyAndThroughAVuComeBackUnchanged)
{
    for (const char* sample : {"card-es-2023.ddd", "card-es-2007.ddd"}) {
        SCOPED_TRACE(sample);
        PELLKIT_REQUIRE_SAMPLE(image, sample);
        TMemoryStream s(image);
        T1BDriverCard card;
        card.LoadIdentification(s);
        ASSERT_TRUE(card.HasIdentification());
        // Read directly, the card is stamped with its last download when it has one.
        const std::optional<std::uint32_t> last = card.LastDownloadTime();
        const QString direct = Latin1Name(CardName(image, last ? ArchiveTimeFromTimeReal(*last) : kNow));

        QTemporaryDir viaVuDest;
        const Bytes data = MakeContainer({{{0xA7, image}}});
        ASSERT_EQ(Validate(data), 0);
        const TStoreSummary s1 = Store(data);
        EXPECT_TRUE(s1.allSafe);
        EXPECT_EQ(FilesIn(dest_.path()), QStringList{direct});
        EXPECT_EQ(FileBytes(dest_.filePath(direct)), AsArray(image));

        Bytes viaVu{0x76, 0x06};
        Append(viaVu, image);
        const Bytes data2 = MakeContainer({{{0xA6, viaVu}}});
        ASSERT_EQ(Validate(data2), 0);
        TStoreOptions o;
        o.destination = viaVuDest.path();
        o.now = [] { return kNow; };
        TMemoryStream stream(data2);
        EXPECT_TRUE(StoreContainer(stream, o, rec_).allSafe);
        const QString stamped = Latin1Name(CardName(image, kNow));
        EXPECT_EQ(FilesIn(viaVuDest.path()), QStringList{stamped});
        EXPECT_EQ(FileBytes(viaVuDest.filePath(stamped)), AsArray(image));
        QDir(dest_.path()).removeRecursively();
        QDir().mkpath(dest_.path());
    }
}

TEST_F(StoreSamples, VuDownloadsComeBackUnchanged)
{
    for (const char* sample : {"vu-de-locks.ddd", "vu-de-activities.ddd"}) {
        SCOPED_TRACE(sample);
        PELLKIT_REQUIRE_SAMPLE(vu, sample);
        const std::size_t split = OverviewLength(vu);
        ASSERT_LT(split, vu.size());
        const Bytes overview(vu.begin(), vu.begin() + static_cast<std::ptrdiff_t>(split));
        const Bytes rest(vu.begin() + static_cast<std::ptrdiff_t>(split), vu.end());
        const Bytes data = MakeContainer({{{0xA1, overview}, {0xA2, rest}}});
        ASSERT_EQ(Validate(data), 0);

        TMemoryStream s(overview);
        s.SetPosition(2);
        TF7601 block;
        block.LoadFromStream(s);
        ASSERT_EQ(s.Position(), overview.size()) << "overview split in the wrong place";
        const QString name = Latin1Name(VehicleArchiveName(block.RegistrationNation(), block.RegistrationText(),
                                                           block.VinText(),
                                                           ArchiveTimeFromTimeReal(block.CurrentDateTime()), 0));
        const TStoreSummary summary = Store(data);
        EXPECT_TRUE(summary.allSafe);
        EXPECT_EQ(FilesIn(dest_.path()), QStringList{name});
        EXPECT_EQ(FileBytes(dest_.filePath(name)), AsArray(vu));
        QDir(dest_.path()).removeRecursively();
        QDir().mkpath(dest_.path());
    }
}

TEST_F(StoreSamples, NationalCardVariantNeverCrashes)
{
    PELLKIT_REQUIRE_SAMPLE(image, "card-ru-national.ddd");
    for (std::uint8_t tag : {std::uint8_t{0xA7}, std::uint8_t{0xA6}}) {
        Bytes part;
        if (tag == 0xA6)
            part = {0x76, 0x06};
        Append(part, image);
        const Bytes data = MakeContainer({{{tag, part}}});
        const int validation = [&] {
            try {
                return Validate(data);
            } catch (const std::exception&) {
                return -2;
            }
        }();
        TStoreRecorder rec;
        TStoreOptions o;
        o.destination = dest_.path();
        o.now = [] { return kNow; };
        TMemoryStream stream(data);
        const TStoreSummary s = StoreContainer(stream, o, rec);
        // Either it is refused with a message, or it is stored whole.
        if (s.allSafe) {
            ASSERT_EQ(rec.archives.size(), 1u);
            EXPECT_EQ(FileBytes(dest_.filePath(rec.archives[0].fileName)), AsArray(image));
        } else {
            EXPECT_FALSE(rec.messages.isEmpty() && rec.information.isEmpty());
        }
        (void)validation;
    }
}
