#include "uCard1BElementaryFiles.h"

#include "uCard1BFile.h"

TEFFile::TEFFile(int slot) : fid_(T1BDriverCard::FidOfSlot(slot)), name_(T1BDriverCard::SlotName(slot)) {}

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
    : TEFRecordFile(T1BDriverCard::kICC, "CardIccIdentification", false, card)
{
}

TEF_IC::TEF_IC(const T1BDriverCard& card)
    : TEFRecordFile(T1BDriverCard::kIC, "CardChipIdentification", false, card)
{
}

TEF_Application_Identification::TEF_Application_Identification(const T1BDriverCard& card)
    : TEFRecordFile(T1BDriverCard::kApplicationIdentification, "DriverCardApplicationIdentification", true, card)
{
}

TEF_Card_Certificate::TEF_Card_Certificate(const T1BDriverCard& card)
    : TEFRecordFile(T1BDriverCard::kCardCertificate, "CardCertificate", false, card)
{
}

TEF_CA_Certificate::TEF_CA_Certificate(const T1BDriverCard& card)
    : TEFRecordFile(T1BDriverCard::kCACertificate, "MemberStateCertificate", false, card)
{
}

TEF_Identification::TEF_Identification(const T1BDriverCard&)
    : TEFFile(T1BDriverCard::kIdentification),
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
    : TEFRecordFile(T1BDriverCard::kCardDownload, "LastCardDownload", false, card)
{
}

TEF_Driving_License_Info::TEF_Driving_License_Info(const T1BDriverCard& card)
    : TEFRecordFile(T1BDriverCard::kDrivingLicenseInfo, "CardDrivingLicenceInformation", true, card)
{
}

TEF_Events_Data::TEF_Events_Data(const T1BDriverCard& card)
    : TEFRecordFile(T1BDriverCard::kEventsData, "CardEventData", true, card)
{
}

TEF_Faults_Data::TEF_Faults_Data(const T1BDriverCard& card)
    : TEFRecordFile(T1BDriverCard::kFaultsData, "CardFaultData", true, card)
{
}

TEF_Driver_Activity_Data::TEF_Driver_Activity_Data(const T1BDriverCard& card)
    : TEFRecordFile(T1BDriverCard::kDriverActivityData, "CardDriverActivity", true, card)
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
    : TEFRecordFile(T1BDriverCard::kVehiclesUsed, "CardVehiclesUsed", true, card)
{
}

TEF_Places::TEF_Places(const T1BDriverCard& card)
    : TEFRecordFile(T1BDriverCard::kPlaces, "CardPlaceDailyWorkPeriod", true, card)
{
}

TEF_Current_Usage::TEF_Current_Usage(const T1BDriverCard& card)
    : TEFRecordFile(T1BDriverCard::kCurrentUsage, "CardCurrentUse", true, card)
{
}

TEF_Control_Activity_Data::TEF_Control_Activity_Data(const T1BDriverCard& card)
    : TEFRecordFile(T1BDriverCard::kControlActivityData, "CardControlActivityDataRecord", true, card)
{
}

TEF_Specific_Conditions::TEF_Specific_Conditions(const T1BDriverCard&)
    : TEFFile(T1BDriverCard::kSpecificConditions)
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
