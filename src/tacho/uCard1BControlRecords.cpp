#include "uCard1BControlRecords.h"

#include "uCard1BItems.h"

using card1b::Field;

void TControlCardNumber::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, cardType);
    ReadByte(stream, cardIssuingMemberState);
    ReadBytes(stream, cardNumber);
}

void TControlCardNumber::SaveToStream(TMemoryStream& stream) const
{
    WriteByte(stream, cardType);
    WriteByte(stream, cardIssuingMemberState);
    WriteBytes(stream, cardNumber);
}

void TControlCardNumber::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("cardType : ", cardType); break;
    case 1: text = Field("cardIssuingMemberState : ", cardIssuingMemberState); break;
    case 2: text = Field("cardNumber : ", cardNumber); break;
    default: break;
    }
    SetLeaf(text, caption, child);
}

TCardControlActivityDataRecord::TCardControlActivityDataRecord()
    : controlCardNumber_(std::make_unique<TControlCardNumber>()),
      controlVehicleRegistration_(std::make_unique<TControlVehicleRegistration>())
{
}

void TCardControlActivityDataRecord::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, controlType);
    ReadLongWord(stream, controlTime);
    controlCardNumber_->LoadFromStream(stream);
    controlVehicleRegistration_->LoadFromStream(stream);
    ReadLongWord(stream, controlDownloadPeriodBegin);
    ReadLongWord(stream, controlDownloadPeriodEnd);
}

void TCardControlActivityDataRecord::SaveToStream(TMemoryStream& stream) const
{
    WriteByte(stream, controlType);
    WriteLongWord(stream, controlTime);
    controlCardNumber_->SaveToStream(stream);
    controlVehicleRegistration_->SaveToStream(stream);
    WriteLongWord(stream, controlDownloadPeriodBegin);
    WriteLongWord(stream, controlDownloadPeriodEnd);
}

void TCardControlActivityDataRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf(Field("controlType : ", controlType), caption, child); break;
    case 1: SetLeaf(Field("controlTime : ", controlTime), caption, child); break;
    case 2: SetNode("controlCardNumber", controlCardNumber_.get(), caption, child); break;
    case 3: SetNode("controlVehicleRegistration", controlVehicleRegistration_.get(), caption, child); break;
    case 4: SetLeaf(Field("controlDowloadPeriodBegin : ", controlDownloadPeriodBegin), caption, child); break;
    case 5: SetLeaf(Field("controlDowloadPeriodEnd : ", controlDownloadPeriodEnd), caption, child); break;
    default: break;
    }
}

void TSpecificConditionRecord::LoadFromStream(TMemoryStream& stream)
{
    ReadLongWord(stream, entryTime);
    ReadByte(stream, specificConditionType);
}

void TSpecificConditionRecord::SaveToStream(TMemoryStream& stream) const
{
    WriteLongWord(stream, entryTime);
    WriteByte(stream, specificConditionType);
}

void TSpecificConditionRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    std::string text;
    switch (index) {
    case 0: text = Field("entryTime : ", entryTime); break;
    case 1: text = Field("SpecificConditionType : ", specificConditionType); break;
    default: break;
    }
    SetLeaf(text, caption, child);
}
