#pragma once
// The events and faults of a VU (transfer response 76h 03h), read into records.
//
// Layout after 76h 03h (numbers big-endian, times TimeReal):
//   VuFaultData                    1 + 82 n
//   VuEventData                    1 + 83 n  all events but over speeding
//   VuOverSpeedingControlData             9  last control 4 | first since 4 | number since 1
//   VuOverSpeedingEventData        1 + 31 n
//   VuTimeAdjustmentData           1 + 98 n
//   Signature                           128  over every byte from noOfVuFaults on
//
// VuFaultRecord (82): type 1 | purpose 1 | begin 4 | end 4 | four FullCardNumbers
//   (driver slot at begin, co-driver slot at begin, driver slot at end,
//   co-driver slot at end) 18 each; VuEventRecord (83) adds similarEventsNumber 1.
// VuOverSpeedingEventRecord (31): type 1 | purpose 1 | begin 4 | end 4 |
//   max speed 1 | average speed 1 | card in the driver slot at begin 18 | similar events 1
// VuTimeAdjustmentRecord (98): old time 4 | new time 4 | workshop name 36 |
//   workshop address 36 | workshop card 18

#include "uTachy1BBlock.h"

#include <array>
#include <cstdint>
#include <memory>

// Events and faults share their first fields; only the captions differ.
class TVuIncidentRecord : public TvtInfoProvide {
public:
    static constexpr int kCards = 4;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 4 + kCards; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t type = 0;          // EventFaultType
    std::uint8_t recordPurpose = 0; // EventFaultRecordPurpose
    std::uint32_t beginTime = 0;
    std::uint32_t endTime = 0;
    // Driver slot at begin, co-driver slot at begin, driver slot at end, co-driver slot at end.
    std::array<std::unique_ptr<TFullCardNumber>, kCards> cardNumbers = {
        std::make_unique<TFullCardNumber>(), std::make_unique<TFullCardNumber>(),
        std::make_unique<TFullCardNumber>(), std::make_unique<TFullCardNumber>()};

protected:
    explicit TVuIncidentRecord(const char* kind) : kind_(kind) {}

private:
    const char* kind_; // "event" or "fault"
};

class TVuFaultRecord : public TVuIncidentRecord {
public:
    static constexpr std::size_t kSize = 82;
    TVuFaultRecord() : TVuIncidentRecord("fault") {}
};

class TVuEventRecord : public TVuIncidentRecord {
public:
    static constexpr std::size_t kSize = 83;
    TVuEventRecord() : TVuIncidentRecord("event") {}
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return TVuIncidentRecord::ItemCount() + 1; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t similarEventsNumber = 0;
};

class TVuFaultData : public TVuRecordList<TVuFaultRecord, std::uint8_t> {
public:
    TVuFaultData() : TVuRecordList("VuFaultData", "noOfVuFaults : ", "VuFaultRecord") {}
};

class TVuEventData : public TVuRecordList<TVuEventRecord, std::uint8_t> {
public:
    TVuEventData() : TVuRecordList("VuEventData", "noOfVuEvents : ", "VuEventRecord") {}
};

class TVuOverSpeedingControlData : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 9;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 3; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint32_t lastOverspeedControlTime = 0;
    std::uint32_t firstOverspeedSince = 0;
    std::uint8_t numberOfOverspeedSince = 0;
};

class TVuOverSpeedingEventRecord : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 31;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 8; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t eventType = 0;
    std::uint8_t eventRecordPurpose = 0;
    std::uint32_t eventBeginTime = 0;
    std::uint32_t eventEndTime = 0;
    std::uint8_t maxSpeedValue = 0;     // km/h
    std::uint8_t averageSpeedValue = 0; // km/h
    std::unique_ptr<TFullCardNumber> cardNumberDriverSlotBegin = std::make_unique<TFullCardNumber>();
    std::uint8_t similarEventsNumber = 0;
};

class TVuOverSpeedingEventData : public TVuRecordList<TVuOverSpeedingEventRecord, std::uint8_t> {
public:
    TVuOverSpeedingEventData()
        : TVuRecordList("VuOverSpeedingEventData", "noOfVuOverSpeedingEvents : ", "VuOverSpeedingEventRecord")
    {
    }
};

class TVuTimeAdjustmentRecord : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 98;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 5; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint32_t oldTimeValue = 0;
    std::uint32_t newTimeValue = 0;
    std::uint8_t workshopName[36] = {};
    std::uint8_t workshopAddress[36] = {};
    std::unique_ptr<TFullCardNumber> workshopCardNumber = std::make_unique<TFullCardNumber>();
};

class TVuTimeAdjustmentData : public TVuRecordList<TVuTimeAdjustmentRecord, std::uint8_t> {
public:
    TVuTimeAdjustmentData()
        : TVuRecordList("VuTimeAdjustmentData", "noOfVuTimeAdjRecords : ", "VuTimeAdjustmentRecord")
    {
    }
};

class TF7603 : public TVuTransferBlock {
public:
    static constexpr std::uint8_t kTrep = 0x03;
    using TVuTransferBlock::TVuTransferBlock;

    std::uint8_t Trep() const override { return kTrep; }
    int ItemCount() const override { return 6; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::unique_ptr<TVuFaultData> vuFaultData = std::make_unique<TVuFaultData>();
    std::unique_ptr<TVuEventData> vuEventData = std::make_unique<TVuEventData>();
    std::unique_ptr<TVuOverSpeedingControlData> vuOverSpeedingControlData =
        std::make_unique<TVuOverSpeedingControlData>();
    std::unique_ptr<TVuOverSpeedingEventData> vuOverSpeedingEventData = std::make_unique<TVuOverSpeedingEventData>();
    std::unique_ptr<TVuTimeAdjustmentData> vuTimeAdjustmentData = std::make_unique<TVuTimeAdjustmentData>();

protected:
    void LoadData(TMemoryStream& stream) override;
    void SaveData(TMemoryStream& stream) const override;
};
