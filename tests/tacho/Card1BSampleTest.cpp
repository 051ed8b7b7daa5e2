// The card walk over real downloads, whole, cut short and damaged. Personal
// fields are only compared, never printed.
#include "Samples.h"
#include "uCard1BStruct.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <random>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::unique_ptr<T1BDriverCard> Load(const Bytes& image, bool identificationOnly, std::size_t* end = nullptr)
{
    auto card = std::make_unique<T1BDriverCard>();
    TMemoryStream stream(image);
    if (identificationOnly)
        card->LoadIdentification(stream);
    else
        card->LoadImage(stream);
    if (end)
        *end = stream.Position();
    return card;
}

bool Printable(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

void ExpectWalksEndAtTheEnd(const Bytes& image)
{
    for (bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "LoadIdentification" : "LoadImage");
        std::size_t end = 0;
        const auto card = Load(image, quick, &end);
        EXPECT_EQ(end, image.size());
        ASSERT_FALSE(card->Blocks().empty());
        const TCardBlock& last = card->Blocks().back();
        EXPECT_EQ(last.headerOffset + 5 + last.consumed, image.size());
        for (const TCardBlock& block : card->Blocks())
            EXPECT_EQ(block.consumed, block.length) << "FID " << block.fid << " kind " << int(block.kind);
    }
}

void ExpectSameIdentity(const T1BDriverCard& a, const T1BDriverCard& b)
{
    EXPECT_EQ(a.IssuingNation(), b.IssuingNation());
    EXPECT_TRUE(a.CardNumberText() == b.CardNumberText());
    EXPECT_TRUE(a.SurnameText() == b.SurnameText());
    EXPECT_TRUE(a.FirstNamesText() == b.FirstNamesText());
    EXPECT_EQ(a.LastDownloadTime(), b.LastDownloadTime());
}

void ExpectPlausibleSpanishIdentity(const T1BDriverCard& card)
{
    ASSERT_TRUE(card.HasIdentification());
    EXPECT_EQ(card.IssuingNation(), 0x0F);
    const std::string number = card.CardNumberText();
    EXPECT_EQ(number.size(), 16u);
    EXPECT_TRUE(Printable(number));
    EXPECT_FALSE(card.SurnameText().empty());
    EXPECT_FALSE(card.FirstNamesText().empty());
}

// Every data file saved again gives back the body it was read from.
void ExpectFilesSaveAsRead(T1BDriverCard& card)
{
    for (int slot = 0; slot < T1BDriverCard::kSlotCount; ++slot) {
        TEFFile* file = card.Slot(slot);
        if (!file || !file->HasData)
            continue;
        SCOPED_TRACE(T1BDriverCard::SlotName(slot));
        TMemoryStream out;
        file->SaveData(out, card);
        const auto body = card.DataBody(*file);
        EXPECT_TRUE(out.Buffer() == Bytes(body.begin(), body.end()));
    }
}

TEST(CardSamples, Spain2023)
{
    PELLKIT_REQUIRE_SAMPLE(image, "card-es-2023.ddd");
    ExpectWalksEndAtTheEnd(image);
    const auto full = Load(image, false);
    const auto quick = Load(image, true);
    ExpectPlausibleSpanishIdentity(*full);
    ExpectSameIdentity(*full, *quick);
    EXPECT_EQ(full->LastDownloadTime(), 0x644BAF68u);
    for (int slot = 0; slot < T1BDriverCard::kSlotCount; ++slot)
        EXPECT_NE(full->Slot(slot), nullptr) << T1BDriverCard::SlotName(slot);
    EXPECT_TRUE(full->Slot(T1BDriverCard::kIdentification)->HasSignature);
    EXPECT_GT(full->DriverActivityData()->Data().DailyRecordCount(), 1u);
    ExpectFilesSaveAsRead(*full);
}

TEST(CardSamples, Spain2007)
{
    PELLKIT_REQUIRE_SAMPLE(image, "card-es-2007.ddd");
    ExpectWalksEndAtTheEnd(image);
    const auto full = Load(image, false);
    const auto quick = Load(image, true);
    ExpectPlausibleSpanishIdentity(*full);
    ExpectSameIdentity(*full, *quick);
    EXPECT_FALSE(full->LastDownloadTime().has_value());
    EXPECT_EQ(full->Slot(T1BDriverCard::kDrivingLicenseInfo), nullptr);
    EXPECT_EQ(full->Slot(T1BDriverCard::kCurrentUsage), nullptr);
    // The surname holds a byte above 7Fh; it is kept as it stands.
    bool high = false;
    for (char c : full->SurnameText())
        high = high || static_cast<unsigned char>(c) > 0x7F;
    EXPECT_TRUE(high);
    EXPECT_GT(full->DriverActivityData()->Data().DailyRecordCount(), 1u);
    ExpectFilesSaveAsRead(*full);
}

TEST(CardSamples, NationalVariantNeitherCrashesNorHangs)
{
    PELLKIT_REQUIRE_SAMPLE(image, "card-ru-national.ddd");
    for (bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "LoadIdentification" : "LoadImage");
        try {
            const auto card = Load(image, quick);
            EXPECT_EQ(card->RawImage().size(), image.size());
        } catch (const ETachoError&) {
            // A refusal is an acceptable answer to a foreign format.
        }
    }
}

// Both walks over an image, refusing it with ETachoError at most.
void LoadBoth(const Bytes& image)
{
    for (bool quick : {false, true}) {
        try {
            Load(image, quick);
        } catch (const ETachoError&) {
        }
    }
}

class HostileImages : public ::testing::TestWithParam<const char*> {};

TEST_P(HostileImages, EveryPrefix)
{
    PELLKIT_REQUIRE_SAMPLE(image, GetParam());
    for (std::size_t n = 0; n <= image.size(); ++n)
        LoadBoth(Bytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(n)));
}

TEST_P(HostileImages, DamagedBytes)
{
    PELLKIT_REQUIRE_SAMPLE(image, GetParam());
    // Every byte of the known files' headers and the ten after them (the
    // counts of the application identification, the activity pointers) set
    // to extremes.
    std::vector<std::size_t> targets;
    const auto card = std::make_unique<T1BDriverCard>();
    try {
        TMemoryStream stream(image);
        card->LoadIdentification(stream);
    } catch (const ETachoError&) {
    }
    for (const TCardBlock& block : card->Blocks())
        if (block.slot >= 0)
            for (std::size_t i = 0; i < 5 + 10 && block.headerOffset + i < image.size(); ++i)
                targets.push_back(block.headerOffset + i);
    for (std::size_t at : targets) {
        for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0xFF}, static_cast<std::uint8_t>(image[at] ^ 0x01)}) {
            Bytes damaged = image;
            damaged[at] = value;
            LoadBoth(damaged);
        }
    }
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        Bytes damaged = image;
        for (int k = 0; k < 8; ++k)
            damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
        LoadBoth(damaged);
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, HostileImages,
                         ::testing::Values("card-es-2023.ddd", "card-es-2007.ddd", "card-ru-national.ddd"),
                         [](const auto& param) {
                             std::string name = param.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
