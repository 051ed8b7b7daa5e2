#include "uCard1BVehicleRecords.h"

#include "uCard1BFile.h"
#include "uCard1BItems.h"

using card1b::Field;

void TCardVehicleRecord::LoadFromStream(TMemoryStream& stream)
{
    ReadBytes(stream, vehicleOdometerBegin);
    ReadBytes(stream, vehicleOdometerEnd);
    ReadLongWord(stream, vehicleFirstUse);
    ReadLongWord(stream, vehicleLastUse);
    ReadByte(stream, vehicleRegistrationNation);
    ReadBytes(stream, vehicleRegistrationNumber);
    ReadWord(stream, vuDataBlockCounter);
}

void TCardVehicleRecord::SaveToStream(TMemoryStream& stream) const
{
    WriteBytes(stream, vehicleOdometerBegin);
    WriteBytes(stream, vehicleOdometerEnd);
    WriteLongWord(stream, vehicleFirstUse);
    WriteLongWord(stream, vehicleLastUse);
    WriteByte(stream, vehicleRegistrationNation);
    WriteBytes(stream, vehicleRegistrationNumber);
    WriteWord(stream, vuDataBlockCounter);
}

void TCardVehicleRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("vehicleOdometerBegin : ", vehicleOdometerBegin); break;
    case 1: text = Field("vehicleOdometerEnd : ", vehicleOdometerEnd); break;
    case 2: text = Field("vehicleFirstUse : ", vehicleFirstUse); break;
    case 3: text = Field("vehicleLastUse : ", vehicleLastUse); break;
    case 4: text = Field("vehicleRegistrationNation : ", vehicleRegistrationNation); break;
    case 5: text = Field("vehicleRegistrationNumber : ", vehicleRegistrationNumber); break;
    case 6: text = Field("vuDataBlockCounter : ", vuDataBlockCounter); break;
    default: break;
    }
    SetLeaf(text, caption, child);
}

TCardVehiclesUsed::TCardVehiclesUsed(const T1BDriverCard& card)
{
    const auto* ident = card.ApplicationIdentificationRecord();
    count_ = ident ? ident->noOfCardVehicleRecords : 0;
}

void TCardVehiclesUsed::LoadFromStream(TMemoryStream& stream, const T1BDriverCard& card)
{
    ReadWord(stream, vehiclePointerNewestRecord);
    if (!card.ApplicationIdentificationRecord())
        return;
    records_.clear();
    // Once the data has run out every further record would be all zero.
    for (std::size_t i = 0; i < count_ && stream.Remaining() > 0; ++i) {
        records_.push_back(std::make_unique<TCardVehicleRecord>());
        records_.back()->LoadFromStream(stream);
    }
}

void TCardVehiclesUsed::SaveToStream(TMemoryStream& stream, const T1BDriverCard& card) const
{
    WriteWord(stream, vehiclePointerNewestRecord);
    if (!card.ApplicationIdentificationRecord())
        return;
    for (std::size_t i = 0; i < count_; ++i)
        Record(i).SaveToStream(stream);
}

const TCardVehicleRecord& TCardVehiclesUsed::Record(std::size_t i) const
{
    static const TCardVehicleRecord zero;
    return i < records_.size() ? *records_[i] : zero;
}

void TCardVehiclesUsed::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("vehiclePointerNewestRecord : ", vehiclePointerNewestRecord); break;
    case 1: text = "CardVehicleRecords : ??????????????"; break;
    default: break;
    }
    SetLeaf(text, caption, child);
}

void TPlaceRecord::LoadFromStream(TMemoryStream& stream)
{
    ReadLongWord(stream, entryTime);
    ReadByte(stream, entryTypeDailyWorkPeriod);
    ReadByte(stream, dailyWorkPeriodCountry);
    ReadByte(stream, dailyWorkPeriodRegion);
    ReadBytes(stream, vehicleOdometerValue);
}

void TPlaceRecord::SaveToStream(TMemoryStream& stream) const
{
    WriteLongWord(stream, entryTime);
    WriteByte(stream, entryTypeDailyWorkPeriod);
    WriteByte(stream, dailyWorkPeriodCountry);
    WriteByte(stream, dailyWorkPeriodRegion);
    WriteBytes(stream, vehicleOdometerValue);
}

void TPlaceRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("entryTime : ", entryTime); break;
    case 1: text = Field("entryTypeDailyWorkPeriod : ", entryTypeDailyWorkPeriod); break;
    case 2: text = Field("entryWorkPeriodCountry : ", dailyWorkPeriodCountry); break;
    case 3: text = Field("entryWorkPeriodRegion : ", dailyWorkPeriodRegion); break;
    case 4: text = Field("vehicleOdomerterValue : ", vehicleOdometerValue); break;
    default: break;
    }
    SetLeaf(text, caption, child);
}

TCardPlaceDailyWorkPeriod::TCardPlaceDailyWorkPeriod(const T1BDriverCard& card)
{
    const auto* ident = card.ApplicationIdentificationRecord();
    const std::size_t count = ident ? ident->noOfCardPlaceRecords : 0;
    records_.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        records_.push_back(std::make_unique<TPlaceRecord>());
}

void TCardPlaceDailyWorkPeriod::LoadFromStream(TMemoryStream& stream, const T1BDriverCard& card)
{
    ReadByte(stream, placePointerNewestRecord);
    if (!card.ApplicationIdentificationRecord())
        return;
    for (auto& record : records_)
        record->LoadFromStream(stream);
}

void TCardPlaceDailyWorkPeriod::SaveToStream(TMemoryStream& stream, const T1BDriverCard& card) const
{
    WriteByte(stream, placePointerNewestRecord);
    if (!card.ApplicationIdentificationRecord())
        return;
    for (const auto& record : records_)
        record->SaveToStream(stream);
}

void TCardPlaceDailyWorkPeriod::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("placePointerNewestRecord : ", placePointerNewestRecord); break;
    case 1: text = "PlaceRecords : ???????"; break;
    default: break;
    }
    SetLeaf(text, caption, child);
}

void TSessionOpenVehicle::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, vehicleRegistrationNation);
    ReadBytes(stream, vehicleRegistrationNumber);
}

void TSessionOpenVehicle::SaveToStream(TMemoryStream& stream) const
{
    WriteByte(stream, vehicleRegistrationNation);
    WriteBytes(stream, vehicleRegistrationNumber);
}

void TSessionOpenVehicle::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("vehicleRegistrationNation : ", vehicleRegistrationNation); break;
    case 1: text = Field("vehicleRegistrationNumber : ", vehicleRegistrationNumber); break;
    default: break;
    }
    SetLeaf(text, caption, child);
}

TCardCurrentUse::TCardCurrentUse() : sessionOpenVehicle_(std::make_unique<TSessionOpenVehicle>()) {}

void TCardCurrentUse::LoadFromStream(TMemoryStream& stream)
{
    ReadLongWord(stream, sessionOpenTime);
    sessionOpenVehicle_->LoadFromStream(stream);
}

void TCardCurrentUse::SaveToStream(TMemoryStream& stream) const
{
    WriteLongWord(stream, sessionOpenTime);
    sessionOpenVehicle_->SaveToStream(stream);
}

void TCardCurrentUse::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index == 0)
        SetLeaf(Field("sessionOpenTime : ", sessionOpenTime), caption, child);
    else if (index == 1)
        SetNode("sessionOpenVehicle", sessionOpenVehicle_.get(), caption, child);
}
