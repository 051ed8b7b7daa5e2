#pragma once
// Driver activities as spans of time, per day, from a driver card and from a
// VU download, with each day's totals.
//
// An ActivityChangeInfo word is 'scpaattttttttttt': slot (0 driver, 1
// co-driver), driving status (0 single, 1 crew), card status (0 inserted, 1
// not inserted), activity (0 break/rest, 1 availability, 2 work, 3 driving)
// and the minute of the day the activity begins. A span lasts until the next
// change (on a VU, the next change of the same slot); the day's last one
// until 24:00. Minutes past 1440 count as 24:00. A change that lies before
// the one it follows would give a span of negative length: that span is left
// out, as the driving time rules leave such periods out.
//
// On a card, a change with the card not inserted says what the driver did
// away from any VU: with c = 0 nothing is known (the span is unknown), with
// c = 1 the activity was entered by hand. On a VU every span has its
// activity; card inserted or not tells whether a card was in that slot.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class T1BDriverCard;
class TVuDownload;

namespace views {

enum class TActivity : std::uint8_t { BreakRest, Availability, Work, Driving, Unknown };
enum class TSlot : std::uint8_t { Driver, CoDriver };

// "break/rest", "availability", "work", "driving", "unknown".
const char* ActivityName(TActivity activity);
// "driver", "co-driver".
const char* SlotName(TSlot slot);

struct TActivitySpan {
    std::uint32_t start = 0; // TimeReal, seconds since 1970-01-01 UTC
    std::uint32_t end = 0;   // start <= end
    TActivity activity = TActivity::Unknown;
    TSlot slot = TSlot::Driver;
    bool crew = false;         // driving status crew (else single)
    bool cardInserted = false; // the card was in a VU (card data) / a card was in the slot (VU data)
    bool manualEntry = false;  // card data only: entered by hand while the card was not inserted

    int Minutes() const { return static_cast<int>((end - start) / 60); }
};

// Minutes per activity.
struct TActivityTotals {
    int breakRest = 0;
    int availability = 0;
    int work = 0;
    int driving = 0;
    int unknown = 0;

    void Add(const TActivitySpan& span);
    int Of(TActivity activity) const;
    friend bool operator==(const TActivityTotals&, const TActivityTotals&) = default;
};

struct TCardActivityDay {
    std::uint32_t date = 0;             // 00:00 UTC of the day (of activityRecordDate)
    std::uint16_t presenceCounter = 0;  // activityDailyPresenceCounter, BCD as read
    std::uint16_t distanceKm = 0;       // activityDayDistance
    std::vector<TActivitySpan> spans;
    TActivityTotals totals;
};

struct TSlotActivity {
    TSlot slot = TSlot::Driver;
    std::vector<TActivitySpan> spans;
    TActivityTotals totals;
};

struct TVuActivityDay {
    std::uint32_t date = 0; // 00:00 UTC of the downloaded day (its block may date it 23:59:59)
    std::uint32_t odometerMidnightKm = 0;
    // This day's odometer at midnight less the day before's, when that day was
    // downloaded too and the odometer did not go back.
    std::optional<std::uint32_t> distanceKm;
    std::array<TSlotActivity, 2> perSlot{TSlotActivity{TSlot::Driver, {}, {}}, TSlotActivity{TSlot::CoDriver, {}, {}}};
    std::size_t blockOffset = 0; // the 76h of its block, from the download start
};

// The spans of one day from its change words; date is 00:00 of the day. Card
// data: every word is the driver's; VU data: only the words of slot.
std::vector<TActivitySpan> CardDaySpans(std::uint32_t date, std::span<const std::uint16_t> changes);
std::vector<TActivitySpan> VuDaySpans(std::uint32_t date, std::span<const std::uint16_t> changes, TSlot slot);

// The days of the card's activity ring, oldest first.
std::vector<TCardActivityDay> CardActivityDays(const T1BDriverCard& card);
// The days of the download's 76h 02h blocks, in download order.
std::vector<TVuActivityDay> VuActivityDays(const TVuDownload& download);

} // namespace views
