#pragma once
// The technical data of a VU (transfer response 76h 05h), read into records.
//
// Layout after 76h 05h (numbers big-endian, times TimeReal):
//   VuIdentification                    116
//   SensorPaired                         20
//   VuCalibrationData             1 + 167 n
//   Signature                           128  over every byte from vuManufacturerName on
//
// VuIdentification (116): manufacturer name 36 | manufacturer address 36 |
//   part number 16 | serial number 8 (ExtendedSerialNumber) | software
//   version 4 | software installation date 4 | manufacturing date 4 | approval number 8
// ExtendedSerialNumber (8): serial number 4 | month and year 2 (BCD mmyy) |
//   equipment type 1 | manufacturer code 1
// SensorPaired (20): serial number 8 (ExtendedSerialNumber) | approval number 8 | first pairing 4
// VuCalibrationRecord (167): purpose 1 | workshop name 36 | workshop address 36 |
//   workshop card 18 | workshop card expiry 4 | VIN 17 | registration 15 |
//   w 2 | k 2 | l 2 (1/8 mm) | tyre size 15 | authorised speed 1 (km/h) |
//   old odometer 3 | new odometer 3 | old time 4 | new time 4 | next calibration 4

#include "uTachy1BBlock.h"

#include <cstdint>
#include <memory>

class TExtendedSerialNumber : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 8;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 4; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint32_t serialNumber = 0;
    std::uint16_t monthYear = 0; // BCD mmyy, not decoded
    std::uint8_t type = 0;       // EquipmentType
    std::uint8_t manufacturerCode = 0;
};

class TVuSoftwareIdentification : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 8;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t vuSoftwareVersion[4] = {};
    std::uint32_t vuSoftInstallationDate = 0;
};

class TVuIdentification : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 116;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 7; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t vuManufacturerName[36] = {};
    std::uint8_t vuManufacturerAddress[36] = {};
    std::uint8_t vuPartNumber[16] = {};
    std::unique_ptr<TExtendedSerialNumber> vuSerialNumber = std::make_unique<TExtendedSerialNumber>();
    std::unique_ptr<TVuSoftwareIdentification> vuSoftwareIdentification =
        std::make_unique<TVuSoftwareIdentification>();
    std::uint32_t vuManufacturingDate = 0;
    std::uint8_t vuApprovalNumber[8] = {};
};

class TSensorPaired : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 20;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 3; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::unique_ptr<TExtendedSerialNumber> sensorSerialNumber = std::make_unique<TExtendedSerialNumber>();
    std::uint8_t sensorApprovalNumber[8] = {};
    std::uint32_t sensorPairingDateFirst = 0;
};

class TVuCalibrationRecord : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 167;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 17; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t calibrationPurpose = 0;
    std::uint8_t workshopName[36] = {};
    std::uint8_t workshopAddress[36] = {};
    std::unique_ptr<TFullCardNumber> workshopCardNumber = std::make_unique<TFullCardNumber>();
    std::uint32_t workshopCardExpiryDate = 0;
    std::uint8_t vehicleIdentificationNumber[17] = {};
    std::unique_ptr<TVehicleRegistrationIdentification> vehicleRegistrationIdentification =
        std::make_unique<TVehicleRegistrationIdentification>();
    std::uint16_t wVehicleCharacteristicConstant = 0; // impulses per km
    std::uint16_t kConstantOfRecordingEquipment = 0;  // impulses per km
    std::uint16_t lTyreCircumference = 0;             // 1/8 mm
    std::uint8_t tyreSize[15] = {};
    std::uint8_t authorisedSpeed = 0; // km/h
    std::uint8_t oldOdometerValue[3] = {};
    std::uint8_t newOdometerValue[3] = {};
    std::uint32_t oldTimeValue = 0;
    std::uint32_t newTimeValue = 0;
    std::uint32_t nextCalibrationDate = 0;
};

class TVuCalibrationData : public TVuRecordList<TVuCalibrationRecord, std::uint8_t> {
public:
    TVuCalibrationData()
        : TVuRecordList("VuCalibrationData", "noOfVuCalibrationRecords : ", "VuCalibrationRecord")
    {
    }
};

class TF7605 : public TVuTransferBlock {
public:
    static constexpr std::uint8_t kTrep = 0x05;
    using TVuTransferBlock::TVuTransferBlock;

    std::uint8_t Trep() const override { return kTrep; }
    int ItemCount() const override { return 4; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::unique_ptr<TVuIdentification> vuIdentification = std::make_unique<TVuIdentification>();
    std::unique_ptr<TSensorPaired> sensorPaired = std::make_unique<TSensorPaired>();
    std::unique_ptr<TVuCalibrationData> vuCalibrationData = std::make_unique<TVuCalibrationData>();

protected:
    void LoadData(TMemoryStream& stream) override;
    void SaveData(TMemoryStream& stream) const override;
};
