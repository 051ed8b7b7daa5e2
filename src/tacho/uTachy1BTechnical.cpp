#include "uTachy1BTechnical.h"

using vu1b::Field;

void TExtendedSerialNumber::LoadFromStream(TMemoryStream& stream)
{
    ReadLongWord(stream, serialNumber);
    ReadWord(stream, monthYear);
    ReadByte(stream, type);
    ReadByte(stream, manufacturerCode);
}

void TExtendedSerialNumber::SaveToStream(TMemoryStream& stream) const
{
    WriteLongWord(stream, serialNumber);
    WriteWord(stream, monthYear);
    WriteByte(stream, type);
    WriteByte(stream, manufacturerCode);
}

void TExtendedSerialNumber::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf(Field("serialNumber : ", serialNumber), caption, child); break;
    case 1: SetLeaf(Field("monthYear : ", monthYear), caption, child); break;
    case 2: SetLeaf(Field("type : ", type), caption, child); break;
    case 3: SetLeaf(Field("manufacturerCode : ", manufacturerCode), caption, child); break;
    default: break;
    }
}

void TVuSoftwareIdentification::LoadFromStream(TMemoryStream& stream)
{
    ReadBytes(stream, vuSoftwareVersion);
    ReadLongWord(stream, vuSoftInstallationDate);
}

void TVuSoftwareIdentification::SaveToStream(TMemoryStream& stream) const
{
    WriteBytes(stream, vuSoftwareVersion);
    WriteLongWord(stream, vuSoftInstallationDate);
}

void TVuSoftwareIdentification::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index == 0)
        SetLeaf(Field("vuSoftwareVersion : ", vuSoftwareVersion), caption, child);
    else if (index == 1)
        SetLeaf(Field("vuSoftInstallationDate : ", vuSoftInstallationDate), caption, child);
}

void TVuIdentification::LoadFromStream(TMemoryStream& stream)
{
    ReadBytes(stream, vuManufacturerName);
    ReadBytes(stream, vuManufacturerAddress);
    ReadBytes(stream, vuPartNumber);
    vuSerialNumber->LoadFromStream(stream);
    vuSoftwareIdentification->LoadFromStream(stream);
    ReadLongWord(stream, vuManufacturingDate);
    ReadBytes(stream, vuApprovalNumber);
}

void TVuIdentification::SaveToStream(TMemoryStream& stream) const
{
    WriteBytes(stream, vuManufacturerName);
    WriteBytes(stream, vuManufacturerAddress);
    WriteBytes(stream, vuPartNumber);
    vuSerialNumber->SaveToStream(stream);
    vuSoftwareIdentification->SaveToStream(stream);
    WriteLongWord(stream, vuManufacturingDate);
    WriteBytes(stream, vuApprovalNumber);
}

void TVuIdentification::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf(Field("vuManufacturerName : ", vuManufacturerName), caption, child); break;
    case 1: SetLeaf(Field("vuManufacturerAddress : ", vuManufacturerAddress), caption, child); break;
    case 2: SetLeaf(Field("vuPartNumber : ", vuPartNumber), caption, child); break;
    case 3: SetNode("vuSerialNumber", vuSerialNumber.get(), caption, child); break;
    case 4: SetNode("vuSoftwareIdentification", vuSoftwareIdentification.get(), caption, child); break;
    case 5: SetLeaf(Field("vuManufacturingDate : ", vuManufacturingDate), caption, child); break;
    case 6: SetLeaf(Field("vuApprovalNumber : ", vuApprovalNumber), caption, child); break;
    default: break;
    }
}

void TSensorPaired::LoadFromStream(TMemoryStream& stream)
{
    sensorSerialNumber->LoadFromStream(stream);
    ReadBytes(stream, sensorApprovalNumber);
    ReadLongWord(stream, sensorPairingDateFirst);
}

void TSensorPaired::SaveToStream(TMemoryStream& stream) const
{
    sensorSerialNumber->SaveToStream(stream);
    WriteBytes(stream, sensorApprovalNumber);
    WriteLongWord(stream, sensorPairingDateFirst);
}

void TSensorPaired::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetNode("sensorSerialNumber", sensorSerialNumber.get(), caption, child); break;
    case 1: SetLeaf(Field("sensorApprovalNumber : ", sensorApprovalNumber), caption, child); break;
    case 2: SetLeaf(Field("sensorPairingDateFirst : ", sensorPairingDateFirst), caption, child); break;
    default: break;
    }
}

void TVuCalibrationRecord::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, calibrationPurpose);
    ReadBytes(stream, workshopName);
    ReadBytes(stream, workshopAddress);
    workshopCardNumber->LoadFromStream(stream);
    ReadLongWord(stream, workshopCardExpiryDate);
    ReadBytes(stream, vehicleIdentificationNumber);
    vehicleRegistrationIdentification->LoadFromStream(stream);
    ReadWord(stream, wVehicleCharacteristicConstant);
    ReadWord(stream, kConstantOfRecordingEquipment);
    ReadWord(stream, lTyreCircumference);
    ReadBytes(stream, tyreSize);
    ReadByte(stream, authorisedSpeed);
    ReadBytes(stream, oldOdometerValue);
    ReadBytes(stream, newOdometerValue);
    ReadLongWord(stream, oldTimeValue);
    ReadLongWord(stream, newTimeValue);
    ReadLongWord(stream, nextCalibrationDate);
}

void TVuCalibrationRecord::SaveToStream(TMemoryStream& stream) const
{
    WriteByte(stream, calibrationPurpose);
    WriteBytes(stream, workshopName);
    WriteBytes(stream, workshopAddress);
    workshopCardNumber->SaveToStream(stream);
    WriteLongWord(stream, workshopCardExpiryDate);
    WriteBytes(stream, vehicleIdentificationNumber);
    vehicleRegistrationIdentification->SaveToStream(stream);
    WriteWord(stream, wVehicleCharacteristicConstant);
    WriteWord(stream, kConstantOfRecordingEquipment);
    WriteWord(stream, lTyreCircumference);
    WriteBytes(stream, tyreSize);
    WriteByte(stream, authorisedSpeed);
    WriteBytes(stream, oldOdometerValue);
    WriteBytes(stream, newOdometerValue);
    WriteLongWord(stream, oldTimeValue);
    WriteLongWord(stream, newTimeValue);
    WriteLongWord(stream, nextCalibrationDate);
}

void TVuCalibrationRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf(Field("calibrationPurpose : ", calibrationPurpose), caption, child); break;
    case 1: SetLeaf(Field("workshopName : ", workshopName), caption, child); break;
    case 2: SetLeaf(Field("workshopAddress : ", workshopAddress), caption, child); break;
    case 3: SetNode("workshopCardNumber", workshopCardNumber.get(), caption, child); break;
    case 4: SetLeaf(Field("workshopCardExpiryDate : ", workshopCardExpiryDate), caption, child); break;
    case 5: SetLeaf(Field("vehicleIdentificationNumber : ", vehicleIdentificationNumber), caption, child); break;
    case 6: SetNode("vehicleRegistrationIdentification", vehicleRegistrationIdentification.get(), caption, child); break;
    case 7: SetLeaf(Field("wVehicleCharacteristicConstant : ", wVehicleCharacteristicConstant), caption, child); break;
    case 8: SetLeaf(Field("kConstantOfRecordingEquipment : ", kConstantOfRecordingEquipment), caption, child); break;
    case 9: SetLeaf(Field("lTyreCircumference : ", lTyreCircumference), caption, child); break;
    case 10: SetLeaf(Field("tyreSize : ", tyreSize), caption, child); break;
    case 11: SetLeaf(Field("authorisedSpeed : ", authorisedSpeed), caption, child); break;
    case 12: SetLeaf(Field("oldOdometerValue : ", oldOdometerValue), caption, child); break;
    case 13: SetLeaf(Field("newOdometerValue : ", newOdometerValue), caption, child); break;
    case 14: SetLeaf(Field("oldTimeValue : ", oldTimeValue), caption, child); break;
    case 15: SetLeaf(Field("newTimeValue : ", newTimeValue), caption, child); break;
    case 16: SetLeaf(Field("nextCalibrationDate : ", nextCalibrationDate), caption, child); break;
    default: break;
    }
}

void TF7605::LoadData(TMemoryStream& stream)
{
    vu1b::LoadRecord(stream, *vuIdentification, "VuIdentification");
    vu1b::LoadRecord(stream, *sensorPaired, "SensorPaired");
    vuCalibrationData->LoadFromStream(stream);
}

void TF7605::SaveData(TMemoryStream& stream) const
{
    vuIdentification->SaveToStream(stream);
    sensorPaired->SaveToStream(stream);
    vuCalibrationData->SaveToStream(stream);
}

void TF7605::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetNode("VuIdentification", vuIdentification.get(), caption, child); break;
    case 1: SetNode("SensorPaired", sensorPaired.get(), caption, child); break;
    case 2: SetNode("VuCalibrationData", vuCalibrationData.get(), caption, child); break;
    case 3: SetLeaf(Field("Signature : ", signature_), caption, child); break;
    default: break;
    }
}
