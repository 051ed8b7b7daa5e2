#include "uCard1BIdentRecords.h"

#include "uCard1BItems.h"

using card1b::Field;

void TCardIccIdentification::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, clockStop);
    ReadBytes(stream, cardExtendedSerialNumber);
    ReadBytes(stream, cardApprovalNumber);
    ReadByte(stream, cardPersonaliserID);
    ReadBytes(stream, embedderIcAssemblerId);
    ReadWord(stream, icIdentifier);
}

void TCardIccIdentification::SaveToStream(TMemoryStream& stream) const
{
    WriteByte(stream, clockStop);
    WriteBytes(stream, cardExtendedSerialNumber);
    WriteBytes(stream, cardApprovalNumber);
    WriteByte(stream, cardPersonaliserID);
    WriteBytes(stream, embedderIcAssemblerId);
    WriteWord(stream, icIdentifier);
}

void TCardIccIdentification::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("clockStop : ", clockStop); break;
    case 1: text = Field("cardExtendedSerialNumber : ", cardExtendedSerialNumber); break;
    case 2: text = Field("cardApprovalNumber : ", cardApprovalNumber); break;
    case 3: text = Field("cardPersonaliserID : ", cardPersonaliserID); break;
    case 4: text = Field("embedderIcAssemblerId : ", embedderIcAssemblerId); break;
    case 5: text = Field("icIdentifier : ", icIdentifier); break;
    default: break;
    }
    SetLeaf(text, caption, child);
}

void TCardChipIdentification::LoadFromStream(TMemoryStream& stream)
{
    ReadBytes(stream, icSerialNumber);
    ReadBytes(stream, icManufacturingReferences);
}

void TCardChipIdentification::SaveToStream(TMemoryStream& stream) const
{
    WriteBytes(stream, icSerialNumber);
    WriteBytes(stream, icManufacturingReferences);
}

void TCardChipIdentification::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("icSerialNumber : ", icSerialNumber); break;
    case 1: text = Field("icManufacturingReferences : ", icManufacturingReferences); break;
    default: break;
    }
    SetLeaf(text, caption, child);
}

void TDriverCardApplicationIdentification::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, typeOfTachographCardId);
    ReadWord(stream, cardStructureVersion);
    ReadByte(stream, noOfEventsPerType);
    ReadByte(stream, noOfFaultsPerType);
    ReadWord(stream, activityStructureLength);
    ReadWord(stream, noOfCardVehicleRecords);
    ReadByte(stream, noOfCardPlaceRecords);
}

void TDriverCardApplicationIdentification::SaveToStream(TMemoryStream& stream) const
{
    WriteByte(stream, typeOfTachographCardId);
    WriteWord(stream, cardStructureVersion);
    WriteByte(stream, noOfEventsPerType);
    WriteByte(stream, noOfFaultsPerType);
    WriteWord(stream, activityStructureLength);
    WriteWord(stream, noOfCardVehicleRecords);
    WriteByte(stream, noOfCardPlaceRecords);
}

void TDriverCardApplicationIdentification::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("typeOfTachographCardId : ", typeOfTachographCardId); break;
    case 1: text = Field("cardStructureVersion : ", cardStructureVersion); break;
    case 2: text = Field("noOfEventsPerType : ", noOfEventsPerType); break;
    case 3: text = Field("noOfFaultsPerType : ", noOfFaultsPerType); break;
    case 4: text = Field("activityStructureLength : ", activityStructureLength); break;
    case 5: text = Field("noOfCardVehicleRecord := ", noOfCardVehicleRecords); break;
    case 6: text = Field("noOfCardPlaceRecord : ", noOfCardPlaceRecords); break;
    default: break;
    }
    SetLeaf(text, caption, child);
}

void TCardIdentification::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, cardIssuingMemberState);
    ReadBytes(stream, cardNumber);
    ReadBytes(stream, cardIssuingAuthorityName);
    ReadLongWord(stream, cardIssueDate);
    ReadLongWord(stream, cardValidityBegin);
    ReadLongWord(stream, cardExpiryDate);
}

void TCardIdentification::SaveToStream(TMemoryStream& stream) const
{
    WriteByte(stream, cardIssuingMemberState);
    WriteBytes(stream, cardNumber);
    WriteBytes(stream, cardIssuingAuthorityName);
    WriteLongWord(stream, cardIssueDate);
    WriteLongWord(stream, cardValidityBegin);
    WriteLongWord(stream, cardExpiryDate);
}

void TCardIdentification::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("cardIssuingMemberState : ", cardIssuingMemberState); break;
    case 1: text = Field("cardNumber : ", cardNumber); break;
    case 2: text = Field("cardIssuingAuthorityName : ", cardIssuingAuthorityName); break;
    case 3: text = Field("cardIssueDate : ", cardIssueDate); break;
    case 4: text = Field("cardValidityBegin : ", cardValidityBegin); break;
    case 5: text = Field("cardExpiryDate : ", cardExpiryDate); break;
    default: break;
    }
    SetLeaf(text, caption, child);
}

void TDriverCardHolderIdentification::LoadFromStream(TMemoryStream& stream)
{
    ReadBytes(stream, holderSurname);
    ReadBytes(stream, holderFirstNames);
    ReadBytes(stream, cardHolderBirthDate);
    ReadBytes(stream, cardHolderPreferredLanguage);
}

void TDriverCardHolderIdentification::SaveToStream(TMemoryStream& stream) const
{
    WriteBytes(stream, holderSurname);
    WriteBytes(stream, holderFirstNames);
    WriteBytes(stream, cardHolderBirthDate);
    WriteBytes(stream, cardHolderPreferredLanguage);
}

void TDriverCardHolderIdentification::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("cardHolderName : ", holderSurname); break;
    case 1: text = Field("cardHolderSurName : ", holderFirstNames); break;
    case 2: text = Field("cardHolderBirthDate : ", cardHolderBirthDate); break;
    case 3: text = Field("cardHolderPreferredLanguage : ", cardHolderPreferredLanguage); break;
    default: break;
    }
    SetLeaf(text, caption, child);
}

void TLastCardDownload::LoadFromStream(TMemoryStream& stream) { ReadLongWord(stream, lastCardDownload); }
void TLastCardDownload::SaveToStream(TMemoryStream& stream) const { WriteLongWord(stream, lastCardDownload); }

void TLastCardDownload::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index == 0)
        SetLeaf(Field("data : ", lastCardDownload), caption, child);
}

void TCardDrivingLicenceInformation::LoadFromStream(TMemoryStream& stream)
{
    ReadBytes(stream, drivingLicenceIssuingAuthority);
    ReadByte(stream, drivingLicenceIssuingNation);
    ReadBytes(stream, drivingLicenceNumber);
}

void TCardDrivingLicenceInformation::SaveToStream(TMemoryStream& stream) const
{
    WriteBytes(stream, drivingLicenceIssuingAuthority);
    WriteByte(stream, drivingLicenceIssuingNation);
    WriteBytes(stream, drivingLicenceNumber);
}

void TCardDrivingLicenceInformation::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("drivingLicenceIssuingAuthority : ", drivingLicenceIssuingAuthority); break;
    case 1: text = Field("drivingLicenceIssuingNation : ", drivingLicenceIssuingNation); break;
    case 2: text = Field("drivingLicenseNumber : ", drivingLicenceNumber); break;
    default: break;
    }
    SetLeaf(text, caption, child);
}
