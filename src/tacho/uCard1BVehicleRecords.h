#pragma once
// Vehicles used, places of daily work periods and the current usage of a
// driver card.

#include "u1bUtils.h"

#include <cstdint>
#include <memory>
#include <vector>

class T1BDriverCard;

class TCardVehicleRecord : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 7; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    static constexpr std::size_t kSize = 31;

    std::uint8_t vehicleOdometerBegin[3] = {};
    std::uint8_t vehicleOdometerEnd[3] = {};
    std::uint32_t vehicleFirstUse = 0;
    std::uint32_t vehicleLastUse = 0;
    std::uint8_t vehicleRegistrationNation = 0;
    std::uint8_t vehicleRegistrationNumber[14] = {};
    std::uint16_t vuDataBlockCounter = 0;
};

// The list length is noOfCardVehicleRecords as the card declared it when the
// list was built. That count is 16-bit, so records are only materialised
// for bytes that are really there; the rest read as zero records, exactly
// as a short read would have left them.
class TCardVehiclesUsed : public TvtInfoProvide {
public:
    explicit TCardVehiclesUsed(const T1BDriverCard& card);
    void LoadFromStream(TMemoryStream& stream, const T1BDriverCard& card);
    void SaveToStream(TMemoryStream& stream, const T1BDriverCard& card) const;
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::size_t Count() const { return count_; }
    // Records past the loaded data are zero.
    const TCardVehicleRecord& Record(std::size_t i) const;

    std::uint16_t vehiclePointerNewestRecord = 0;

private:
    std::size_t count_;
    std::vector<std::unique_ptr<TCardVehicleRecord>> records_;
};

class TPlaceRecord : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 10;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 5; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint32_t entryTime = 0;
    std::uint8_t entryTypeDailyWorkPeriod = 0;
    std::uint8_t dailyWorkPeriodCountry = 0;
    std::uint8_t dailyWorkPeriodRegion = 0;
    std::uint8_t vehicleOdometerValue[3] = {};
};

class TCardPlaceDailyWorkPeriod : public TvtInfoProvide {
public:
    explicit TCardPlaceDailyWorkPeriod(const T1BDriverCard& card);
    void LoadFromStream(TMemoryStream& stream, const T1BDriverCard& card);
    void SaveToStream(TMemoryStream& stream, const T1BDriverCard& card) const;
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::size_t Count() const { return records_.size(); }
    const TPlaceRecord& Record(std::size_t i) const { return *records_[i]; }

    std::uint8_t placePointerNewestRecord = 0;

private:
    std::vector<std::unique_ptr<TPlaceRecord>> records_; // at most 255
};

// A VehicleRegistrationIdentification; also the control record's vehicle.
class TSessionOpenVehicle : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t vehicleRegistrationNation = 0;
    std::uint8_t vehicleRegistrationNumber[14] = {};
};

class TCardCurrentUse : public TvtInfoProvide {
public:
    TCardCurrentUse();
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    TSessionOpenVehicle& SessionOpenVehicle() { return *sessionOpenVehicle_; }
    const TSessionOpenVehicle& SessionOpenVehicle() const { return *sessionOpenVehicle_; }

    std::uint32_t sessionOpenTime = 0;

private:
    std::unique_ptr<TSessionOpenVehicle> sessionOpenVehicle_;
};
