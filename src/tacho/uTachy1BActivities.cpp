#include "uTachy1BActivities.h"

using vu1b::Field;

void TPreviousVehicleInfo::LoadFromStream(TMemoryStream& stream)
{
    vehicleRegistrationIdentification->LoadFromStream(stream);
    ReadLongWord(stream, cardWithdrawalTime);
}

void TPreviousVehicleInfo::SaveToStream(TMemoryStream& stream) const
{
    vehicleRegistrationIdentification->SaveToStream(stream);
    WriteLongWord(stream, cardWithdrawalTime);
}

void TPreviousVehicleInfo::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index == 0)
        SetNode("vehicleRegistrationIdentification", vehicleRegistrationIdentification.get(), caption, child);
    else if (index == 1)
        SetLeaf(Field("cardWithdrawalTime : ", cardWithdrawalTime), caption, child);
}

void THolderName::LoadFromStream(TMemoryStream& stream)
{
    ReadBytes(stream, holderSurname);
    ReadBytes(stream, holderFirstNames);
}

void THolderName::SaveToStream(TMemoryStream& stream) const
{
    WriteBytes(stream, holderSurname);
    WriteBytes(stream, holderFirstNames);
}

void THolderName::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index == 0)
        SetLeaf(Field("holderSurname : ", holderSurname), caption, child);
    else if (index == 1)
        SetLeaf(Field("holderFirstNames : ", holderFirstNames), caption, child);
}

void TVuCardIWRecord::LoadFromStream(TMemoryStream& stream)
{
    cardHolderName->LoadFromStream(stream);
    fullCardNumber->LoadFromStream(stream);
    ReadBytes(stream, cardExpiryDate);
    ReadLongWord(stream, cardInsertionTime);
    ReadBytes(stream, vehicleOdometerValueAtInsertion);
    ReadByte(stream, cardSlotNumber);
    ReadLongWord(stream, cardWithdrawalTime);
    ReadBytes(stream, vehicleOdometerValueAtWithdrawal);
    previousVehicleInfo->LoadFromStream(stream);
    ReadByte(stream, manualInputFlag);
}

void TVuCardIWRecord::SaveToStream(TMemoryStream& stream) const
{
    cardHolderName->SaveToStream(stream);
    fullCardNumber->SaveToStream(stream);
    WriteBytes(stream, cardExpiryDate);
    WriteLongWord(stream, cardInsertionTime);
    WriteBytes(stream, vehicleOdometerValueAtInsertion);
    WriteByte(stream, cardSlotNumber);
    WriteLongWord(stream, cardWithdrawalTime);
    WriteBytes(stream, vehicleOdometerValueAtWithdrawal);
    previousVehicleInfo->SaveToStream(stream);
    WriteByte(stream, manualInputFlag);
}

void TVuCardIWRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetNode("cardHolderName", cardHolderName.get(), caption, child); break;
    case 1: SetNode("fullCardNumber", fullCardNumber.get(), caption, child); break;
    case 2: SetLeaf(Field("cardExpiryDate : ", cardExpiryDate), caption, child); break;
    case 3: SetLeaf(Field("cardInsertionTime : ", cardInsertionTime), caption, child); break;
    case 4: SetLeaf(Field("vehicleOdometerValueAtInsertion : ", vehicleOdometerValueAtInsertion), caption, child); break;
    case 5: SetLeaf(Field("cardSlotNumber : ", cardSlotNumber), caption, child); break;
    case 6: SetLeaf(Field("cardWithdrawalTime : ", cardWithdrawalTime), caption, child); break;
    case 7: SetLeaf(Field("vehicleOdometerValueAtWithdrawal : ", vehicleOdometerValueAtWithdrawal), caption, child); break;
    case 8: SetNode("previousVehicleInfo", previousVehicleInfo.get(), caption, child); break;
    case 9: SetLeaf(Field("manualInputFlag : ", manualInputFlag), caption, child); break;
    default: break;
    }
}

void TVuPlaceDailyWorkPeriodRecord::LoadFromStream(TMemoryStream& stream)
{
    fullCardNumber->LoadFromStream(stream);
    placeRecord->LoadFromStream(stream);
}

void TVuPlaceDailyWorkPeriodRecord::SaveToStream(TMemoryStream& stream) const
{
    fullCardNumber->SaveToStream(stream);
    placeRecord->SaveToStream(stream);
}

void TVuPlaceDailyWorkPeriodRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index == 0)
        SetNode("fullCardNumber", fullCardNumber.get(), caption, child);
    else if (index == 1)
        SetNode("placeRecord", placeRecord.get(), caption, child);
}

void TF7602::LoadData(TMemoryStream& stream)
{
    RequireBytes(stream, 4 + 3, "DateOfDayDownloaded and OdometerValueMidnight");
    ReadLongWord(stream, dateOfDayDownloaded);
    ReadBytes(stream, odometerValueMidnight);
    vuCardIWData->LoadFromStream(stream);
    vuActivityDailyData->LoadFromStream(stream);
    vuPlaceDailyWorkPeriodData->LoadFromStream(stream);
    vuSpecificConditionData->LoadFromStream(stream);
}

void TF7602::SaveData(TMemoryStream& stream) const
{
    WriteLongWord(stream, dateOfDayDownloaded);
    WriteBytes(stream, odometerValueMidnight);
    vuCardIWData->SaveToStream(stream);
    vuActivityDailyData->SaveToStream(stream);
    vuPlaceDailyWorkPeriodData->SaveToStream(stream);
    vuSpecificConditionData->SaveToStream(stream);
}

void TF7602::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf(Field("DateOfDayDownloaded : ", dateOfDayDownloaded), caption, child); break;
    case 1: SetLeaf(Field("OdometerValueMidnight : ", odometerValueMidnight), caption, child); break;
    case 2: SetNode("VuCardIWData", vuCardIWData.get(), caption, child); break;
    case 3: SetNode("VuActivityDailyData", vuActivityDailyData.get(), caption, child); break;
    case 4: SetNode("VuPlaceDailyWorkPeriodData", vuPlaceDailyWorkPeriodData.get(), caption, child); break;
    case 5: SetNode("VuSpecificConditionData", vuSpecificConditionData.get(), caption, child); break;
    case 6: SetLeaf(Field("Signature : ", signature_), caption, child); break;
    default: break;
    }
}
