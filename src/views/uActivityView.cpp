#include "uActivityView.h"

#include "uCard1BFile.h"
#include "uTachy1BDownload.h"
#include "uViewText.h"

#include <algorithm>
#include <map>

namespace views {

namespace {

constexpr int kMinutesPerDay = 1440;
constexpr std::uint32_t kSecondsPerDay = 86400;

// Minutes count from 00:00 of the record's day; VUs date their days by any
// time of the day (23:59:59 is common), cards by 00:00.
std::uint32_t Midnight(std::uint32_t timeReal) { return timeReal - timeReal % kSecondsPerDay; }

struct Change {
    TSlot slot;
    bool crewBit;
    bool notInserted;
    int activity;
    int minute;
};

Change Decode(std::uint16_t word)
{
    return {(word & 0x8000) ? TSlot::CoDriver : TSlot::Driver, (word & 0x4000) != 0, (word & 0x2000) != 0,
            (word >> 11) & 3, std::min<int>(word & 0x7FF, kMinutesPerDay)};
}

TActivitySpan SpanOf(const Change& c, bool cardData)
{
    TActivitySpan span;
    span.slot = c.slot;
    span.activity = static_cast<TActivity>(c.activity);
    span.cardInserted = !c.notInserted;
    if (cardData && c.notInserted) {
        // Away from a VU the crew bit says whether the activity is known.
        span.manualEntry = c.crewBit;
        if (!c.crewBit)
            span.activity = TActivity::Unknown;
    } else {
        span.crew = c.crewBit;
    }
    return span;
}

// Each change lasts until the next one of the list, the last until 24:00.
std::vector<TActivitySpan> Spans(std::uint32_t date, const std::vector<Change>& changes, bool cardData)
{
    std::vector<TActivitySpan> spans;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const int from = changes[i].minute;
        const int to = i + 1 < changes.size() ? changes[i + 1].minute : kMinutesPerDay;
        if (to < from)
            continue;
        TActivitySpan span = SpanOf(changes[i], cardData);
        span.start = date + static_cast<std::uint32_t>(from) * 60;
        span.end = date + static_cast<std::uint32_t>(to) * 60;
        // A date near the end of time cannot carry a day after it.
        if (span.start < date || span.end < span.start)
            continue;
        spans.push_back(span);
    }
    return spans;
}

TActivityTotals Totals(const std::vector<TActivitySpan>& spans)
{
    TActivityTotals totals;
    for (const TActivitySpan& span : spans)
        totals.Add(span);
    return totals;
}

} // namespace

const char* ActivityName(TActivity activity)
{
    switch (activity) {
    case TActivity::BreakRest: return "break/rest";
    case TActivity::Availability: return "availability";
    case TActivity::Work: return "work";
    case TActivity::Driving: return "driving";
    case TActivity::Unknown: break;
    }
    return "unknown";
}

const char* SlotName(TSlot slot) { return slot == TSlot::Driver ? "driver" : "co-driver"; }

void TActivityTotals::Add(const TActivitySpan& span)
{
    const int minutes = span.Minutes();
    switch (span.activity) {
    case TActivity::BreakRest: breakRest += minutes; break;
    case TActivity::Availability: availability += minutes; break;
    case TActivity::Work: work += minutes; break;
    case TActivity::Driving: driving += minutes; break;
    case TActivity::Unknown: unknown += minutes; break;
    }
}

int TActivityTotals::Of(TActivity activity) const
{
    switch (activity) {
    case TActivity::BreakRest: return breakRest;
    case TActivity::Availability: return availability;
    case TActivity::Work: return work;
    case TActivity::Driving: return driving;
    case TActivity::Unknown: break;
    }
    return unknown;
}

std::vector<TActivitySpan> CardDaySpans(std::uint32_t date, std::span<const std::uint16_t> words)
{
    std::vector<Change> changes;
    changes.reserve(words.size());
    for (std::uint16_t word : words)
        changes.push_back(Decode(word));
    return Spans(date, changes, true);
}

std::vector<TActivitySpan> VuDaySpans(std::uint32_t date, std::span<const std::uint16_t> words, TSlot slot)
{
    std::vector<Change> changes;
    for (std::uint16_t word : words)
        if (Decode(word).slot == slot)
            changes.push_back(Decode(word));
    return Spans(date, changes, false);
}

std::vector<TCardActivityDay> CardActivityDays(const T1BDriverCard& card)
{
    std::vector<TCardActivityDay> days;
    const auto* file = card.DriverActivityData();
    if (!file)
        return days;
    const TCardDriverActivity& activity = file->Data();
    for (std::size_t i = 0; i < activity.DailyRecordCount(); ++i) {
        const TCardActivityDailyRecord& record = activity.DailyRecord(i);
        std::vector<std::uint16_t> words;
        for (const TActivityChangeInfo& change : record.Changes())
            words.push_back(change.data);
        TCardActivityDay day;
        day.date = Midnight(record.activityRecordDate);
        day.presenceCounter = record.activityDailyPresenceCounter;
        day.distanceKm = record.activityDayDistance;
        day.spans = CardDaySpans(day.date, words);
        day.totals = Totals(day.spans);
        days.push_back(std::move(day));
    }
    return days;
}

std::vector<TVuActivityDay> VuActivityDays(const TVuDownload& download)
{
    std::vector<TVuActivityDay> days;
    std::map<std::uint32_t, std::uint32_t> odometers; // date -> km at its end
    for (const TVuBlockEntry& entry : download.Blocks()) {
        const auto* block = dynamic_cast<const TF7602*>(entry.block);
        if (!block)
            continue;
        std::vector<std::uint16_t> words;
        for (const auto& change : block->vuActivityDailyData->records)
            words.push_back(change->data);
        TVuActivityDay day;
        day.date = Midnight(block->dateOfDayDownloaded);
        day.odometerMidnightKm = OdometerKm(block->odometerValueMidnight);
        day.blockOffset = entry.offset;
        for (TSlotActivity& slot : day.perSlot) {
            slot.spans = VuDaySpans(day.date, words, slot.slot);
            slot.totals = Totals(slot.spans);
        }
        odometers.emplace(day.date, day.odometerMidnightKm);
        days.push_back(std::move(day));
    }
    for (TVuActivityDay& day : days) {
        const auto previous = day.date >= kSecondsPerDay ? odometers.find(day.date - kSecondsPerDay) : odometers.end();
        if (previous != odometers.end() && previous->second <= day.odometerMidnightKm)
            day.distanceKm = day.odometerMidnightKm - previous->second;
    }
    return days;
}

} // namespace views
