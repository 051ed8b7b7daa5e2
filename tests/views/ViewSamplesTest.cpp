// The activity totals of the real downloads, checked against totals worked
// out here straight from their bytes: the card's ring walked by the records'
// own lengths, the VU's blocks stepped over by their counts. Only numbers
// are compared; nothing personal is printed.
#include "Samples.h"
#include "uActivityView.h"
#include "uCard1BFile.h"
#include "uTachy1BDownload.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

using namespace pellkit::test;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Be(const Bytes& b, std::size_t at, int n)
{
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | b.at(at + static_cast<std::size_t>(i));
    return v;
}

// Minutes per activity (break, availability, work, driving, unknown) of one
// day's words: each lasts to the next word's minute, the last to 1440.
std::array<int, 5> Totals(const std::vector<std::uint16_t>& words, bool card)
{
    std::array<int, 5> t{};
    for (std::size_t i = 0; i < words.size(); ++i) {
        const int from = std::min(words[i] & 0x7FF, 1440);
        const int to = i + 1 < words.size() ? std::min(words[i + 1] & 0x7FF, 1440) : 1440;
        if (to < from)
            continue;
        const bool notInserted = words[i] & 0x2000;
        const bool c = words[i] & 0x4000;
        t[card && notInserted && !c ? 4 : (words[i] >> 11) & 3] += to - from;
    }
    return t;
}

std::array<int, 5> Of(const views::TActivityTotals& t) { return {t.breakRest, t.availability, t.work, t.driving, t.unknown}; }

// date -> totals, from the image's activity file.
std::vector<std::pair<std::uint32_t, std::array<int, 5>>> CardTotalsFromBytes(const Bytes& image)
{
    std::size_t ringLength = 0;
    std::vector<std::pair<std::uint32_t, std::array<int, 5>>> days;
    for (std::size_t at = 0; at + 5 <= image.size();) {
        const auto fid = Be(image, at, 2);
        const auto kind = image[at + 2];
        const auto length = Be(image, at + 3, 2);
        const std::size_t body = at + 5;
        if (fid == 0x0501 && kind == 0)
            ringLength = Be(image, body + 5, 2);
        if (fid == 0x0504 && kind == 0) {
            const std::size_t oldest = Be(image, body, 2);
            const std::size_t newest = Be(image, body + 2, 2);
            const auto ring = [&](std::size_t p) { return image.at(body + 4 + p % ringLength); };
            const auto word = [&](std::size_t p) { return static_cast<std::uint16_t>(ring(p) << 8 | ring(p + 1)); };
            for (std::size_t p = oldest, n = 0; n < 400; ++n) {
                const std::size_t recordLength = word(p + 2);
                const std::uint32_t date = static_cast<std::uint32_t>(word(p + 4)) << 16 | word(p + 6);
                std::vector<std::uint16_t> words;
                for (std::size_t i = 12; i + 1 < recordLength; i += 2)
                    words.push_back(word(p + i));
                days.emplace_back(date, Totals(words, true));
                if (p % ringLength == newest)
                    break;
                p = (p + recordLength) % ringLength;
            }
        }
        at = body + length;
    }
    return days;
}

struct VuDay {
    std::uint32_t date;
    std::uint32_t odometer;
    std::array<std::array<int, 5>, 2> perSlot;
};

std::vector<VuDay> VuTotalsFromBytes(const Bytes& b)
{
    std::vector<VuDay> days;
    for (std::size_t p = 0; p + 2 <= b.size();) {
        const std::uint8_t trep = b[p + 1];
        p += 2;
        switch (trep) {
        case 1: {
            p += 388 + 17 + 15 + 4 + 8 + 1 + 58;
            p += 1 + 98 * b.at(p);
            p += 1 + 31 * b.at(p);
            break;
        }
        case 2: {
            VuDay day{Be(b, p, 4), Be(b, p + 4, 3), {}};
            p += 7;
            p += 2 + 129 * Be(b, p, 2);
            const std::size_t changes = Be(b, p, 2);
            std::array<std::vector<std::uint16_t>, 2> words;
            for (std::size_t i = 0; i < changes; ++i) {
                const auto w = static_cast<std::uint16_t>(Be(b, p + 2 + 2 * i, 2));
                words[w >> 15].push_back(w);
            }
            p += 2 + 2 * changes;
            p += 1 + 28 * b.at(p);
            p += 2 + 5 * Be(b, p, 2);
            day.perSlot = {Totals(words[0], false), Totals(words[1], false)};
            days.push_back(day);
            break;
        }
        case 3: {
            p += 1 + 82 * b.at(p);
            p += 1 + 83 * b.at(p);
            p += 9;
            p += 1 + 31 * b.at(p);
            p += 1 + 98 * b.at(p);
            break;
        }
        case 4: p += 2 + 64 * Be(b, p, 2); break;
        case 5: p += 116 + 20; p += 1 + 167 * b.at(p); break;
        default: ADD_FAILURE() << "unexpected block " << int(trep); return days;
        }
        p += 128;
    }
    return days;
}

TEST(ActivitySamples, CardTotalsMatchTheBytes)
{
    for (const char* name : {"card-es-2023.ddd", "card-es-2007.ddd"}) {
        SCOPED_TRACE(name);
        if (!HaveSample(name))
            GTEST_SKIP() << "sample " << name << " not found (set PELLKIT_SAMPLES)";
        const Bytes image = ReadFileBytes(SamplesDir() / name);
        TMemoryStream stream(image);
        T1BDriverCard card;
        card.LoadImage(stream);
        const auto days = views::CardActivityDays(card);
        const auto expected = CardTotalsFromBytes(image);
        ASSERT_EQ(days.size(), expected.size());
        EXPECT_GT(days.size(), 20u);
        int driving = 0;
        for (std::size_t i = 0; i < days.size(); ++i) {
            EXPECT_EQ(days[i].date, expected[i].first / 86400 * 86400) << "day " << i;
            EXPECT_EQ(Of(days[i].totals), expected[i].second) << "day " << i;
            driving += days[i].totals.driving;
        }
        EXPECT_GT(driving, 0);
    }
}

TEST(ActivitySamples, VuTotalsMatchTheBytes)
{
    for (const char* name : {"vu-de-locks.ddd", "vu-de-activities.ddd"}) {
        SCOPED_TRACE(name);
        if (!HaveSample(name))
            GTEST_SKIP() << "sample " << name << " not found (set PELLKIT_SAMPLES)";
        const Bytes bytes = ReadFileBytes(SamplesDir() / name);
        TMemoryStream stream(bytes);
        TVuDownload vu;
        vu.LoadFromStream(stream);
        const auto days = views::VuActivityDays(vu);
        const auto expected = VuTotalsFromBytes(bytes);
        ASSERT_EQ(days.size(), 30u);
        ASSERT_EQ(expected.size(), 30u);
        for (std::size_t i = 0; i < days.size(); ++i) {
            EXPECT_EQ(days[i].date, expected[i].date / 86400 * 86400);
            EXPECT_EQ(Of(days[i].perSlot[0].totals), expected[i].perSlot[0]) << "day " << i;
            EXPECT_EQ(Of(days[i].perSlot[1].totals), expected[i].perSlot[1]) << "day " << i;
            if (i > 0 && expected[i].odometer >= expected[i - 1].odometer) {
                EXPECT_EQ(days[i].distanceKm, expected[i].odometer - expected[i - 1].odometer);
            }
        }
    }
}

} // namespace
