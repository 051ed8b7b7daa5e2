#include "uCard1BElementaryFiles.h"

#include "uCard1BFile.h"

void TEFFile::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (HasSignature && index == ItemCount() - 1) {
        caption = L"Signature";
        child = nullptr;
    }
}

void TEFFile::ReadSignature(TMemoryStream& stream)
{
    ReadBytes(stream, Signature);
    HasSignature = true;
}

TEF_ICC::TEF_ICC(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_ICC", "CardIccIdentification", false, card)
{
}

TEF_IC::TEF_IC(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_IC", "CardChipIdentification", false, card)
{
}

TEF_Application_Identification::TEF_Application_Identification(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_Application_Identification", "DriverCardApplicationIdentification", true, card)
{
}

TEF_Card_Certificate::TEF_Card_Certificate(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_Card_Certificate", "CardCertificate", false, card)
{
}

TEF_CA_Certificate::TEF_CA_Certificate(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_CA_Certificate", "MemberStateCertificate", false, card)
{
}

TEF_Identification::TEF_Identification(const T1BDriverCard&)
    : TEFFile(kFid, "EF_Identification"),
      cardIdentification_(std::make_unique<TCardIdentification>()),
      holderIdentification_(std::make_unique<TDriverCardHolderIdentification>())
{
}

void TEF_Identification::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index == 0) {
        caption = L"CardIdentification";
        child = cardIdentification_.get();
    } else if (index == 1) {
        caption = L"DriverCardHolderIdentification";
        child = holderIdentification_.get();
    } else {
        TEFFile::GetItem(index, caption, child);
    }
}

void TEF_Identification::LoadData(TMemoryStream& stream, T1BDriverCard&)
{
    cardIdentification_->LoadFromStream(stream);
    holderIdentification_->LoadFromStream(stream);
}

void TEF_Identification::SaveData(TMemoryStream& stream, T1BDriverCard&) const
{
    cardIdentification_->SaveToStream(stream);
    holderIdentification_->SaveToStream(stream);
}

// Listed without its signature, also when signed.
TEF_Card_Download::TEF_Card_Download(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_Card_Download", "LastCardDownload", false, card)
{
}

TEF_Driving_License_Info::TEF_Driving_License_Info(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_Driving_License_Info", "CardDrivingLicenceInformation", true, card)
{
}

TEF_Events_Data::TEF_Events_Data(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_Events_Data", "CardEventData", true, card)
{
}

TEF_Faults_Data::TEF_Faults_Data(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_Faults_Data", "CardFaultData", true, card)
{
}

TEF_Driver_Activity_Data::TEF_Driver_Activity_Data(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_Driver_Activity_Data", "CardDriverActivity", true, card)
{
}

void TEF_Driver_Activity_Data::SaveData(TMemoryStream& stream, T1BDriverCard& card) const
{
    TEFRecordFile::SaveData(stream, card);
    const TCardDriverActivity& activity = Data();
    if (activity.DailyRecordCount() > 0)
        card.LastRecordLength = activity.DailyRecord(activity.DailyRecordCount() - 1).activityRecordLength;
}

TEF_Vehicles_Used::TEF_Vehicles_Used(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_Vehicles_Used", "CardVehiclesUsed", true, card)
{
}

TEF_Places::TEF_Places(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_Places", "CardPlaceDailyWorkPeriod", true, card)
{
}

TEF_Current_Usage::TEF_Current_Usage(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_Current_Usage", "CardCurrentUse", true, card)
{
}

TEF_Control_Activity_Data::TEF_Control_Activity_Data(const T1BDriverCard& card)
    : TEFRecordFile(kFid, "EF_Control_Activity_Data", "CardControlActivityDataRecord", true, card)
{
}

TEF_Specific_Conditions::TEF_Specific_Conditions(const T1BDriverCard&)
    : TEFFile(kFid, "EF_Specific_Conditions")
{
    for (auto& record : records_)
        record = std::make_unique<TSpecificConditionRecord>();
}

void TEF_Specific_Conditions::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index == 0) {
        caption = L"SpecificConditionRecord ?????????????????????";
        child = nullptr;
    } else {
        TEFFile::GetItem(index, caption, child);
    }
}

void TEF_Specific_Conditions::LoadData(TMemoryStream& stream, T1BDriverCard&)
{
    for (auto& record : records_)
        record->LoadFromStream(stream);
}

void TEF_Specific_Conditions::SaveData(TMemoryStream& stream, T1BDriverCard&) const
{
    for (const auto& record : records_)
        record->SaveToStream(stream);
}
