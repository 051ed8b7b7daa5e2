#pragma once
// The last control of a driver card and its specific conditions.

#include "u1bUtils.h"
#include "uCard1BVehicleRecords.h"

#include <cstdint>
#include <memory>

// The controlCardNumber FullCardNumber.
class TControlCardNumber : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 3; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t cardType = 0;
    std::uint8_t cardIssuingMemberState = 0;
    std::uint8_t cardNumber[16] = {};
};

class TControlVehicleRegistration : public TSessionOpenVehicle {};

class TCardControlActivityDataRecord : public TvtInfoProvide {
public:
    TCardControlActivityDataRecord();
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 6; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    TControlCardNumber& ControlCardNumber() { return *controlCardNumber_; }
    const TControlCardNumber& ControlCardNumber() const { return *controlCardNumber_; }
    TControlVehicleRegistration& ControlVehicleRegistration() { return *controlVehicleRegistration_; }
    const TControlVehicleRegistration& ControlVehicleRegistration() const { return *controlVehicleRegistration_; }

    std::uint8_t controlType = 0;
    std::uint32_t controlTime = 0;
    std::uint32_t controlDownloadPeriodBegin = 0;
    std::uint32_t controlDownloadPeriodEnd = 0;

private:
    std::unique_ptr<TControlCardNumber> controlCardNumber_;
    std::unique_ptr<TControlVehicleRegistration> controlVehicleRegistration_;
};

class TSpecificConditionRecord : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 5;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint32_t entryTime = 0;
    std::uint8_t specificConditionType = 0;
};
