#include "uCard1BActivityRecords.h"

#include "uCard1BFile.h"
#include "uCard1BItems.h"

#include <algorithm>
#include <cstring>

using card1b::Field;

std::size_t T1BActivityStream::Read(void* buffer, std::size_t count)
{
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (count > 0)
        std::memset(out, 0, count);
    bytesRead_ += count;
    const std::size_t size = Size();
    if (Position() >= size)
        return count;
    std::size_t done = 0;
    while (done < count) {
        const std::size_t n = std::min(size - Position(), count - done);
        TMemoryStream::Read(out + done, n);
        done += n;
        if (Position() == size)
            SetPosition(0);
    }
    return count;
}

void TActivityChangeInfo::LoadFromStream(TMemoryStream& stream) { ReadWord(stream, data); }
void TActivityChangeInfo::SaveToStream(TMemoryStream& stream) const { WriteWord(stream, data); }

void TActivityChangeInfo::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index == 0)
        SetLeaf(Field("data : ", data), caption, child);
}

void TCardActivityDailyRecord::LoadFromStream(TMemoryStream& stream)
{
    const std::size_t start = stream.Position();
    ReadWord(stream, activityPreviousRecordLength);
    ReadWord(stream, activityRecordLength);
    ReadLongWord(stream, activityRecordDate);
    ReadWord(stream, activityDailyPresenceCounter);
    ReadWord(stream, activityDayDistance);
    changes_.clear();
    if (activityRecordLength == 0)
        return;
    if (activityRecordLength <= 10)
        throw ETachoError("range error: activityRecordLength " + std::to_string(activityRecordLength) +
                              " of a daily activity record",
                          start);
    // Signed on purpose: 11 gives -1 / 2, which is 0.
    const auto n = static_cast<std::size_t>((static_cast<int>(activityRecordLength) - static_cast<int>(kHeaderSize)) / 2);
    if (kHeaderSize + 2 * n > stream.Size())
        throw ETachoError("daily activity record of " + std::to_string(activityRecordLength) +
                              " bytes in " + std::to_string(stream.Size()) + " bytes of data",
                          start);
    changes_ = std::vector<TActivityChangeInfo>(n);
    for (auto& change : changes_)
        change.LoadFromStream(stream);
}

void TCardActivityDailyRecord::SaveToStream(TMemoryStream& stream) const
{
    WriteWord(stream, activityPreviousRecordLength);
    WriteWord(stream, activityRecordLength);
    WriteLongWord(stream, activityRecordDate);
    WriteWord(stream, activityDailyPresenceCounter);
    WriteWord(stream, activityDayDistance);
    for (const auto& change : changes_)
        change.SaveToStream(stream);
}

void TCardActivityDailyRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("activityPreviousRecordLength : ", activityPreviousRecordLength); break;
    case 1: text = Field("activityRecordLength : ", activityRecordLength); break;
    case 2: text = Field("activityRecordDate : ", activityRecordDate); break;
    case 3: text = Field("activityDailyPresenceCounter : ", activityDailyPresenceCounter); break;
    case 4: text = "activityDailyPresenceCounter : ????????????????"; break;
    default: break;
    }
    SetLeaf(text, caption, child);
}

void TCardDriverActivity::LoadFromStream(TMemoryStream& stream, const T1BDriverCard& card)
{
    const auto* ident = card.ApplicationIdentificationRecord();
    if (!ident)
        return;
    const std::size_t length = ident->activityStructureLength;
    ReadWord(stream, activityPointerOldestDayRecord);
    ReadWord(stream, activityPointerNewestRecord);

    const std::size_t ringStart = stream.Position();
    if (stream.Remaining() < length)
        throw ETachoError("stream read error: the activity ring needs " + std::to_string(length) + " bytes, " +
                              std::to_string(stream.Remaining()) + " left",
                          ringStart);
    dailyRecords_.clear();
    offsets_.clear();
    ring_.assign(length, 0);
    stream.Read(ring_.data(), length);
    if (length == 0)
        return;

    if (activityPointerOldestDayRecord >= length || activityPointerNewestRecord >= length)
        throw ETachoError("activity pointers " + Hex4(activityPointerOldestDayRecord) + "/" +
                              Hex4(activityPointerNewestRecord) + " outside a ring of " + std::to_string(length) +
                              " bytes",
                          ringStart - 4);

    T1BActivityStream ring(ring_);
    ring.SetPosition(activityPointerOldestDayRecord);
    for (;;) {
        // Records follow each other without gaps, so a sound ring reaches the
        // newest record within one turn.
        if (ring.BytesRead() >= length)
            throw ETachoError("activity ring: no daily record starts at the newest pointer " +
                                  Hex4(activityPointerNewestRecord) + " within one turn",
                              ringStart + ring.Position());
        const std::size_t p = ring.Position();
        dailyRecords_.push_back(std::make_unique<TCardActivityDailyRecord>());
        offsets_.push_back(p);
        try {
            dailyRecords_.back()->LoadFromStream(ring);
        } catch (const ETachoError& e) {
            throw ETachoError(e.Reason() + " (ring offset " + std::to_string(p) + ")", ringStart + p);
        }
        if (p == activityPointerNewestRecord)
            break;
    }
}

void TCardDriverActivity::SaveToStream(TMemoryStream& stream, const T1BDriverCard& card) const
{
    const auto* ident = card.ApplicationIdentificationRecord();
    if (!ident)
        return;
    WriteWord(stream, activityPointerOldestDayRecord);
    WriteWord(stream, activityPointerNewestRecord);
    std::vector<std::uint8_t> ring = ring_;
    ring.resize(ident->activityStructureLength, 0);
    WriteBytes(stream, ring.data(), ring.size());
}

void TCardDriverActivity::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("activityPointerOldestDayRecord : ", activityPointerOldestDayRecord); break;
    case 1: text = Field("activityPointerNewestDayRecord : ", activityPointerNewestRecord); break;
    case 2: text = "activityDailyRecords : ????????"; break;
    default: break;
    }
    SetLeaf(text, caption, child);
}
