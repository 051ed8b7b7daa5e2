#pragma once
// Driver activity: the daily records and the cyclic buffer they are read
// from.

#include "u1bUtils.h"

#include <cstdint>
#include <memory>
#include <vector>

class T1BDriverCard;

// The activity ring: reads wrap around the end of the data.
class T1BActivityStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    // Always hands out count bytes (zero where there is nothing to copy);
    // at or past the end after a seek there, the position does not move.
    std::size_t Read(void* buffer, std::size_t count) override;
    // Bytes handed out since construction, wrapped or not.
    std::size_t BytesRead() const { return bytesRead_; }

private:
    std::size_t bytesRead_ = 0;
};

class TActivityChangeInfo : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 2;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 1; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint16_t data = 0; // packed change word, not split
};

class TCardActivityDailyRecord : public TvtInfoProvide {
public:
    static constexpr std::size_t kHeaderSize = 12;

    // Throws ETachoError for an activityRecordLength of 1 to 10, and for one
    // that claims more change bytes than the whole stream holds.
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    // Item 5 has no caption: asking for it leaves caption and child as they were.
    int ItemCount() const override { return 6; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    const std::vector<TActivityChangeInfo>& Changes() const { return changes_; }
    // Bytes this record took from the stream when it was loaded.
    std::size_t ConsumedBytes() const { return kHeaderSize + 2 * changes_.size(); }

    std::uint16_t activityPreviousRecordLength = 0;
    std::uint16_t activityRecordLength = 0;
    std::uint32_t activityRecordDate = 0;
    std::uint16_t activityDailyPresenceCounter = 0;
    std::uint16_t activityDayDistance = 0;

private:
    std::vector<TActivityChangeInfo> changes_;
};

// The body of EF_Driver_Activity_Data. The ring is kept as read, so that
// saving writes back exactly the bytes that were loaded.
class TCardDriverActivity : public TvtInfoProvide {
public:
    // Walks the ring from the oldest record to the one that starts at the
    // newest pointer. Throws ETachoError when fewer than
    // activityStructureLength bytes follow the pointers, when a pointer lies
    // outside the ring, when a whole turn passes without reaching the newest
    // record, or when a daily record is malformed.
    void LoadFromStream(TMemoryStream& stream, const T1BDriverCard& card);
    void SaveToStream(TMemoryStream& stream, const T1BDriverCard& card) const;
    int ItemCount() const override { return 3; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::size_t DailyRecordCount() const { return dailyRecords_.size(); }
    const TCardActivityDailyRecord& DailyRecord(std::size_t i) const { return *dailyRecords_[i]; }
    // Where each daily record started in the ring.
    const std::vector<std::size_t>& DailyRecordOffsets() const { return offsets_; }
    const std::vector<std::uint8_t>& Ring() const { return ring_; }

    std::uint16_t activityPointerOldestDayRecord = 0;
    std::uint16_t activityPointerNewestRecord = 0;

private:
    std::vector<std::uint8_t> ring_;
    std::vector<std::unique_ptr<TCardActivityDailyRecord>> dailyRecords_;
    std::vector<std::size_t> offsets_;
};
