#pragma once
// One downloaded day of a VU (transfer response 76h 02h), read into records.
//
// Layout after 76h 02h (numbers big-endian, times TimeReal):
//   DateOfDayDownloaded                   4  00:00 of the day
//   OdometerValueMidnight                 3  km at the end of the day
//   VuCardIWData                    2 + 129 n
//   VuActivityDailyData               2 + 2 n  both slots; their states at 00:00 first
//   VuPlaceDailyWorkPeriodData       1 + 28 n
//   VuSpecificConditionData           2 + 5 n
//   Signature                           128  over every byte from the date on
//
// VuCardIWRecord (129): HolderName 72 (surname 36, first names 36; Names) |
//   FullCardNumber 18 | cardExpiryDate 4 (Datef) | cardInsertionTime 4 |
//   odometer at insertion 3 | cardSlotNumber 1 | cardWithdrawalTime 4 |
//   odometer at withdrawal 3 | PreviousVehicleInfo 19 | manualInputFlag 1
// PreviousVehicleInfo (19): VehicleRegistrationIdentification 15 | cardWithdrawalTime 4
// VuPlaceDailyWorkPeriodRecord (28): FullCardNumber 18 | PlaceRecord 10

#include "uCard1BActivityRecords.h"
#include "uCard1BControlRecords.h"
#include "uCard1BVehicleRecords.h"
#include "uTachy1BBlock.h"

#include <cstdint>
#include <memory>

class TPreviousVehicleInfo : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 19;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::unique_ptr<TVehicleRegistrationIdentification> vehicleRegistrationIdentification =
        std::make_unique<TVehicleRegistrationIdentification>();
    std::uint32_t cardWithdrawalTime = 0;
};

class THolderName : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 72;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t holderSurname[36] = {};
    std::uint8_t holderFirstNames[36] = {};
};

class TVuCardIWRecord : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 129;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 10; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::unique_ptr<THolderName> cardHolderName = std::make_unique<THolderName>();
    std::unique_ptr<TFullCardNumber> fullCardNumber = std::make_unique<TFullCardNumber>();
    std::uint8_t cardExpiryDate[4] = {}; // Datef, BCD yyyymmdd
    std::uint32_t cardInsertionTime = 0;
    std::uint8_t vehicleOdometerValueAtInsertion[3] = {};
    std::uint8_t cardSlotNumber = 0; // 0 driver, 1 co-driver
    std::uint32_t cardWithdrawalTime = 0;
    std::uint8_t vehicleOdometerValueAtWithdrawal[3] = {};
    std::unique_ptr<TPreviousVehicleInfo> previousVehicleInfo = std::make_unique<TPreviousVehicleInfo>();
    std::uint8_t manualInputFlag = 0;
};

class TVuCardIWData : public TVuRecordList<TVuCardIWRecord, std::uint16_t> {
public:
    TVuCardIWData() : TVuRecordList("VuCardIWData", "noOfIWRecords : ", "VuCardIWRecord") {}
};

class TVuActivityDailyData : public TVuRecordList<TActivityChangeInfo, std::uint16_t> {
public:
    TVuActivityDailyData()
        : TVuRecordList("VuActivityDailyData", "noOfActivityChanges : ", "ActivityChangeInfo")
    {
    }
};

class TVuPlaceDailyWorkPeriodRecord : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 28;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::unique_ptr<TFullCardNumber> fullCardNumber = std::make_unique<TFullCardNumber>();
    std::unique_ptr<TPlaceRecord> placeRecord = std::make_unique<TPlaceRecord>();
};

class TVuPlaceDailyWorkPeriodData : public TVuRecordList<TVuPlaceDailyWorkPeriodRecord, std::uint8_t> {
public:
    TVuPlaceDailyWorkPeriodData()
        : TVuRecordList("VuPlaceDailyWorkPeriodData", "noOfPlaceRecords : ", "VuPlaceDailyWorkPeriodRecord")
    {
    }
};

class TVuSpecificConditionData : public TVuRecordList<TSpecificConditionRecord, std::uint16_t> {
public:
    TVuSpecificConditionData()
        : TVuRecordList("VuSpecificConditionData", "noOfSpecificConditionRecords : ", "SpecificConditionRecord")
    {
    }
};

// The block of one downloaded day.
class TF7602 : public TVuTransferBlock {
public:
    static constexpr std::uint8_t kTrep = 0x02;
    using TVuTransferBlock::TVuTransferBlock;

    std::uint8_t Trep() const override { return kTrep; }
    int ItemCount() const override { return 7; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint32_t dateOfDayDownloaded = 0;
    std::uint8_t odometerValueMidnight[3] = {};
    std::unique_ptr<TVuCardIWData> vuCardIWData = std::make_unique<TVuCardIWData>();
    std::unique_ptr<TVuActivityDailyData> vuActivityDailyData = std::make_unique<TVuActivityDailyData>();
    std::unique_ptr<TVuPlaceDailyWorkPeriodData> vuPlaceDailyWorkPeriodData =
        std::make_unique<TVuPlaceDailyWorkPeriodData>();
    std::unique_ptr<TVuSpecificConditionData> vuSpecificConditionData = std::make_unique<TVuSpecificConditionData>();

protected:
    void LoadData(TMemoryStream& stream) override;
    void SaveData(TMemoryStream& stream) const override;
};
