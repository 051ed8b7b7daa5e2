#pragma once
// Event and fault records of a driver card and their per-type lists.

#include "u1bUtils.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class T1BDriverCard;

// Events and faults share one 24-byte layout; only the captions differ.
class TCardIncidentRecord : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 5; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t type = 0;
    std::uint32_t beginTime = 0;
    std::uint32_t endTime = 0;
    std::uint8_t vehicleRegistrationNation = 0;
    std::uint8_t vehicleRegistrationNumber[14] = {};

protected:
    explicit TCardIncidentRecord(const char* kind) : kind_(kind) {}

private:
    const char* kind_; // "event" or "fault"
};

class TCardEventRecord : public TCardIncidentRecord {
public:
    TCardEventRecord() : TCardIncidentRecord("event") {}
};

class TCardFaultRecord : public TCardIncidentRecord {
public:
    TCardFaultRecord() : TCardIncidentRecord("fault") {}
};

// A list whose length is fixed from the card's application identification
// when it is constructed.
template <class Record> class TCardIncidentRecords : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream, const T1BDriverCard& card);
    void SaveToStream(TMemoryStream& stream, const T1BDriverCard& card) const;
    int ItemCount() const override { return static_cast<int>(records_.size()); }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::size_t Count() const { return records_.size(); }
    Record& operator[](std::size_t i) { return *records_[i]; }
    const Record& operator[](std::size_t i) const { return *records_[i]; }

protected:
    TCardIncidentRecords(std::size_t count, const char* caption);

private:
    std::vector<std::unique_ptr<Record>> records_;
    const char* caption_;
};

class TCardEventRecords : public TCardIncidentRecords<TCardEventRecord> {
public:
    explicit TCardEventRecords(const T1BDriverCard& card);
};

class TCardFaultRecords : public TCardIncidentRecords<TCardFaultRecord> {
public:
    explicit TCardFaultRecords(const T1BDriverCard& card);
};

// One list per event type group.
class TCardEventData : public TvtInfoProvide {
public:
    static constexpr std::size_t kGroups = 6;
    explicit TCardEventData(const T1BDriverCard& card);
    void LoadFromStream(TMemoryStream& stream, const T1BDriverCard& card);
    void SaveToStream(TMemoryStream& stream, const T1BDriverCard& card) const;
    int ItemCount() const override { return static_cast<int>(kGroups); }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    TCardEventRecords& Group(std::size_t i) { return *groups_[i]; }
    const TCardEventRecords& Group(std::size_t i) const { return *groups_[i]; }

private:
    std::array<std::unique_ptr<TCardEventRecords>, kGroups> groups_;
};

class TCardFaultData : public TvtInfoProvide {
public:
    static constexpr std::size_t kGroups = 2;
    explicit TCardFaultData(const T1BDriverCard& card);
    void LoadFromStream(TMemoryStream& stream, const T1BDriverCard& card);
    void SaveToStream(TMemoryStream& stream, const T1BDriverCard& card) const;
    int ItemCount() const override { return static_cast<int>(kGroups); }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    TCardFaultRecords& Group(std::size_t i) { return *groups_[i]; }
    const TCardFaultRecords& Group(std::size_t i) const { return *groups_[i]; }

private:
    std::array<std::unique_ptr<TCardFaultRecords>, kGroups> groups_;
};
