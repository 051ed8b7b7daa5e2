#include "uTachy1BEvents.h"

#include <string>

using vu1b::Field;

namespace {

const char* const kSlotCaptions[TVuIncidentRecord::kCards] = {
    "cardNumberDriverSlotBegin",
    "cardNumberCodriverSlotBegin",
    "cardNumberDriverSlotEnd",
    "cardNumberCodriverSlotEnd",
};

} // namespace

void TVuIncidentRecord::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, type);
    ReadByte(stream, recordPurpose);
    ReadLongWord(stream, beginTime);
    ReadLongWord(stream, endTime);
    for (auto& card : cardNumbers)
        card->LoadFromStream(stream);
}

void TVuIncidentRecord::SaveToStream(TMemoryStream& stream) const
{
    WriteByte(stream, type);
    WriteByte(stream, recordPurpose);
    WriteLongWord(stream, beginTime);
    WriteLongWord(stream, endTime);
    for (const auto& card : cardNumbers)
        card->SaveToStream(stream);
}

void TVuIncidentRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    const std::string kind = kind_;
    switch (index) {
    case 0: SetLeaf(kind + "Type : " + Hex2(type), caption, child); break;
    case 1: SetLeaf(kind + "RecordPurpose : " + Hex2(recordPurpose), caption, child); break;
    case 2: SetLeaf(kind + "BeginTime : " + Hex8(beginTime), caption, child); break;
    case 3: SetLeaf(kind + "EndTime : " + Hex8(endTime), caption, child); break;
    default:
        if (index >= 4 && index < 4 + kCards)
            SetNode(kSlotCaptions[index - 4], cardNumbers[static_cast<std::size_t>(index - 4)].get(), caption, child);
        break;
    }
}

void TVuEventRecord::LoadFromStream(TMemoryStream& stream)
{
    TVuIncidentRecord::LoadFromStream(stream);
    ReadByte(stream, similarEventsNumber);
}

void TVuEventRecord::SaveToStream(TMemoryStream& stream) const
{
    TVuIncidentRecord::SaveToStream(stream);
    WriteByte(stream, similarEventsNumber);
}

void TVuEventRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index == ItemCount() - 1)
        SetLeaf(Field("similarEventsNumber : ", similarEventsNumber), caption, child);
    else
        TVuIncidentRecord::GetItem(index, caption, child);
}

void TVuOverSpeedingControlData::LoadFromStream(TMemoryStream& stream)
{
    ReadLongWord(stream, lastOverspeedControlTime);
    ReadLongWord(stream, firstOverspeedSince);
    ReadByte(stream, numberOfOverspeedSince);
}

void TVuOverSpeedingControlData::SaveToStream(TMemoryStream& stream) const
{
    WriteLongWord(stream, lastOverspeedControlTime);
    WriteLongWord(stream, firstOverspeedSince);
    WriteByte(stream, numberOfOverspeedSince);
}

void TVuOverSpeedingControlData::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf(Field("lastOverspeedControlTime : ", lastOverspeedControlTime), caption, child); break;
    case 1: SetLeaf(Field("firstOverspeedSince : ", firstOverspeedSince), caption, child); break;
    case 2: SetLeaf(Field("numberOfOverspeedSince : ", numberOfOverspeedSince), caption, child); break;
    default: break;
    }
}

void TVuOverSpeedingEventRecord::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, eventType);
    ReadByte(stream, eventRecordPurpose);
    ReadLongWord(stream, eventBeginTime);
    ReadLongWord(stream, eventEndTime);
    ReadByte(stream, maxSpeedValue);
    ReadByte(stream, averageSpeedValue);
    cardNumberDriverSlotBegin->LoadFromStream(stream);
    ReadByte(stream, similarEventsNumber);
}

void TVuOverSpeedingEventRecord::SaveToStream(TMemoryStream& stream) const
{
    WriteByte(stream, eventType);
    WriteByte(stream, eventRecordPurpose);
    WriteLongWord(stream, eventBeginTime);
    WriteLongWord(stream, eventEndTime);
    WriteByte(stream, maxSpeedValue);
    WriteByte(stream, averageSpeedValue);
    cardNumberDriverSlotBegin->SaveToStream(stream);
    WriteByte(stream, similarEventsNumber);
}

void TVuOverSpeedingEventRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf(Field("eventType : ", eventType), caption, child); break;
    case 1: SetLeaf(Field("eventRecordPurpose : ", eventRecordPurpose), caption, child); break;
    case 2: SetLeaf(Field("eventBeginTime : ", eventBeginTime), caption, child); break;
    case 3: SetLeaf(Field("eventEndTime : ", eventEndTime), caption, child); break;
    case 4: SetLeaf(Field("maxSpeedValue : ", maxSpeedValue), caption, child); break;
    case 5: SetLeaf(Field("averageSpeedValue : ", averageSpeedValue), caption, child); break;
    case 6: SetNode("cardNumberDriverSlotBegin", cardNumberDriverSlotBegin.get(), caption, child); break;
    case 7: SetLeaf(Field("similarEventsNumber : ", similarEventsNumber), caption, child); break;
    default: break;
    }
}

void TVuTimeAdjustmentRecord::LoadFromStream(TMemoryStream& stream)
{
    ReadLongWord(stream, oldTimeValue);
    ReadLongWord(stream, newTimeValue);
    ReadBytes(stream, workshopName);
    ReadBytes(stream, workshopAddress);
    workshopCardNumber->LoadFromStream(stream);
}

void TVuTimeAdjustmentRecord::SaveToStream(TMemoryStream& stream) const
{
    WriteLongWord(stream, oldTimeValue);
    WriteLongWord(stream, newTimeValue);
    WriteBytes(stream, workshopName);
    WriteBytes(stream, workshopAddress);
    workshopCardNumber->SaveToStream(stream);
}

void TVuTimeAdjustmentRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf(Field("oldTimeValue : ", oldTimeValue), caption, child); break;
    case 1: SetLeaf(Field("newTimeValue : ", newTimeValue), caption, child); break;
    case 2: SetLeaf(Field("workshopName : ", workshopName), caption, child); break;
    case 3: SetLeaf(Field("workshopAddress : ", workshopAddress), caption, child); break;
    case 4: SetNode("workshopCardNumber", workshopCardNumber.get(), caption, child); break;
    default: break;
    }
}

void TF7603::LoadData(TMemoryStream& stream)
{
    vuFaultData->LoadFromStream(stream);
    vuEventData->LoadFromStream(stream);
    vu1b::LoadRecord(stream, *vuOverSpeedingControlData, "VuOverSpeedingControlData");
    vuOverSpeedingEventData->LoadFromStream(stream);
    vuTimeAdjustmentData->LoadFromStream(stream);
}

void TF7603::SaveData(TMemoryStream& stream) const
{
    vuFaultData->SaveToStream(stream);
    vuEventData->SaveToStream(stream);
    vuOverSpeedingControlData->SaveToStream(stream);
    vuOverSpeedingEventData->SaveToStream(stream);
    vuTimeAdjustmentData->SaveToStream(stream);
}

void TF7603::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetNode("VuFaultData", vuFaultData.get(), caption, child); break;
    case 1: SetNode("VuEventData", vuEventData.get(), caption, child); break;
    case 2: SetNode("VuOverSpeedingControlData", vuOverSpeedingControlData.get(), caption, child); break;
    case 3: SetNode("VuOverSpeedingEventData", vuOverSpeedingEventData.get(), caption, child); break;
    case 4: SetNode("VuTimeAdjustmentData", vuTimeAdjustmentData.get(), caption, child); break;
    case 5: SetLeaf(Field("Signature : ", signature_), caption, child); break;
    default: break;
    }
}
