// Activity spans and totals from change words, on cards and on VUs.
#include "CardImageBuilder.h"
#include "VuBlockBuilder.h"
#include "uActivityView.h"
#include "uCard1BFile.h"
#include "uTachy1BDownload.h"

#include <gtest/gtest.h>

using namespace pellkit::test;
using views::TActivity;
using views::TSlot;

namespace {

constexpr std::uint32_t D = kDay;

struct Span {
    int from, to; // minutes of the day
    TActivity activity;
    TSlot slot;
    bool crew, inserted, manual;
    friend bool operator==(const Span&, const Span&) = default;
};

std::ostream& operator<<(std::ostream& os, const Span& s)
{
    return os << s.from << "-" << s.to << " " << views::ActivityName(s.activity) << " " << views::SlotName(s.slot)
              << (s.crew ? " crew" : "") << (s.inserted ? " inserted" : "") << (s.manual ? " manual" : "");
}

std::vector<Span> Minutes(const std::vector<views::TActivitySpan>& spans)
{
    std::vector<Span> out;
    for (const auto& s : spans)
        out.push_back({static_cast<int>((s.start - D) / 60), static_cast<int>((s.end - D) / 60), s.activity, s.slot,
                       s.crew, s.cardInserted, s.manualEntry});
    return out;
}

std::uint16_t W(int slot, bool crew, bool notInserted, int activity, int minute)
{
    return ActivityChange(slot, crew, notInserted, activity, minute);
}

TEST(ActivitySpans, CardDays)
{
    const auto A = TActivity::Availability, R = TActivity::BreakRest, K = TActivity::Work, Dr = TActivity::Driving,
               U = TActivity::Unknown;
    const auto d = TSlot::Driver, c = TSlot::CoDriver;
    const struct {
        const char* what;
        std::vector<std::uint16_t> words;
        std::vector<Span> spans;
    } cases[] = {
        {"no change, no span", {}, {}},
        {"the last change lasts until 24:00",
         {W(0, false, false, kBreakRest, 0), W(0, false, false, kDriving, 360), W(0, false, false, kWork, 600)},
         {{0, 360, R, d, false, true, false}, {360, 600, Dr, d, false, true, false}, {600, 1440, K, d, false, true, false}}},
        {"the slot and the crew come with each change, every change counts",
         {W(1, true, false, kAvailability, 0), W(0, true, false, kDriving, 60)},
         {{0, 60, A, c, true, true, false}, {60, 1440, Dr, d, true, true, false}}},
        {"card not inserted: unknown, or entered by hand",
         {W(0, false, true, kWork, 0), W(0, true, true, kWork, 100), W(0, false, false, kBreakRest, 200)},
         {{0, 100, U, d, false, false, false}, {100, 200, K, d, false, false, true}, {200, 1440, R, d, false, true, false}}},
        {"a change before the one it follows: the negative span is left out",
         {W(0, false, false, kDriving, 500), W(0, false, false, kWork, 400), W(0, false, false, kBreakRest, 700)},
         {{400, 700, K, d, false, true, false}, {700, 1440, R, d, false, true, false}}},
        {"minutes past 24:00 count as 24:00",
         {W(0, false, false, kDriving, 1430), W(0, false, false, kWork, 2000)},
         {{1430, 1440, Dr, d, false, true, false}, {1440, 1440, K, d, false, true, false}}},
        {"two changes in one minute give an empty span",
         {W(0, false, false, kWork, 10), W(0, false, false, kDriving, 10)},
         {{10, 10, K, d, false, true, false}, {10, 1440, Dr, d, false, true, false}}},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.what);
        EXPECT_EQ(Minutes(views::CardDaySpans(D, t.words)), t.spans);
    }
}

TEST(ActivitySpans, VuDaysPerSlot)
{
    const auto R = TActivity::BreakRest, Dr = TActivity::Driving, K = TActivity::Work;
    const auto d = TSlot::Driver, c = TSlot::CoDriver;
    // Both slots at 00:00 first, then the changes of either in the order they came.
    const std::vector<std::uint16_t> words = {W(0, false, true, kBreakRest, 0), W(1, false, true, kBreakRest, 0),
                                              W(0, true, false, kDriving, 300), W(1, true, false, kWork, 310),
                                              W(0, true, false, kBreakRest, 600), W(1, false, true, kBreakRest, 900)};
    EXPECT_EQ(Minutes(views::VuDaySpans(D, words, d)),
              (std::vector<Span>{{0, 300, R, d, false, false, false}, {300, 600, Dr, d, true, true, false},
                                 {600, 1440, R, d, true, true, false}}));
    EXPECT_EQ(Minutes(views::VuDaySpans(D, words, c)),
              (std::vector<Span>{{0, 310, R, c, false, false, false}, {310, 900, K, c, true, true, false},
                                 {900, 1440, R, c, false, false, false}}));
}

TEST(ActivityDays, CardRingToDaysWithTotals)
{
    const Bytes day1 = DailyRecord(0, 18, D, {W(0, false, false, kBreakRest, 0), W(0, false, false, kDriving, 480), W(0, false, true, kWork, 600)});
    Bytes day2 = DailyRecord(18, 14, D + 86400, {W(0, false, false, kWork, 0)});
    day2[10] = 0x01; // distance 300 km
    day2[11] = 0x2C;
    Bytes ring = Concat({day1, day2});
    ring.resize(64, 0);
    const Bytes image = MakeCardImage()
                            .AddApplicationIdentification({.activityStructureLength = 64})
                            .AddDriverActivity(0, static_cast<std::uint16_t>(day1.size()), ring)
                            .Image();
    TMemoryStream stream(image);
    T1BDriverCard card;
    card.LoadImage(stream);
    const auto days = views::CardActivityDays(card);
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(days[0].date, D);
    EXPECT_EQ(days[0].totals, (views::TActivityTotals{.breakRest = 480, .driving = 120, .unknown = 840}));
    EXPECT_EQ(days[1].date, D + 86400);
    EXPECT_EQ(days[1].distanceKm, 300);
    EXPECT_EQ(days[1].totals.work, 1440);
}

TEST(ActivityDays, VuDaysAndTheirDistance)
{
    auto day = [](std::uint32_t date, std::uint32_t km, std::vector<std::uint16_t> words) {
        return MakeTransferResponse(0x02, ActivitiesData({.day = date, .odometerMidnight = km, .changes = words}));
    };
    const Bytes download = MakeVuDownload(
        {Concat({Bytes{0x76, 0x01}, MakeOverview(0, 0)}),
         day(D, 1000, {W(0, false, false, kDriving, 0), W(1, false, true, kBreakRest, 0), W(0, false, false, kBreakRest, 90)}),
         day(D + 86400, 1250, {W(0, false, false, kWork, 0), W(1, false, true, kBreakRest, 0)}),
         day(D + 3 * 86400, 1400, {}), day(D + 5 * 86400 - 1, 900, {})});
    TMemoryStream stream(download);
    TVuDownload vu;
    vu.LoadFromStream(stream);
    const auto days = views::VuActivityDays(vu);
    ASSERT_EQ(days.size(), 4u);
    EXPECT_EQ(days[0].perSlot[0].spans[0].start, D);
    EXPECT_EQ(days[0].perSlot[0].totals, (views::TActivityTotals{.breakRest = 1350, .driving = 90}));
    EXPECT_EQ(days[0].perSlot[1].totals, (views::TActivityTotals{.breakRest = 1440}));
    EXPECT_FALSE(days[0].distanceKm.has_value()); // the day before was not downloaded
    EXPECT_EQ(days[1].distanceKm, 250u);
    EXPECT_FALSE(days[2].distanceKm.has_value()); // a gap of a day
    EXPECT_FALSE(days[3].distanceKm.has_value()); // the odometer went back
    EXPECT_EQ(days[3].date, D + 4 * 86400);       // dated 23:59:59, the day begins at 00:00
    EXPECT_EQ(days[1].blockOffset, vu.Blocks()[2].offset);
}

} // namespace
