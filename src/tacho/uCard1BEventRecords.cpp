#include "uCard1BEventRecords.h"

#include "uCard1BFile.h"
#include "uCard1BItems.h"

using card1b::Field;

void TCardIncidentRecord::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, type);
    ReadLongWord(stream, beginTime);
    ReadLongWord(stream, endTime);
    ReadByte(stream, vehicleRegistrationNation);
    ReadBytes(stream, vehicleRegistrationNumber);
}

void TCardIncidentRecord::SaveToStream(TMemoryStream& stream) const
{
    WriteByte(stream, type);
    WriteLongWord(stream, beginTime);
    WriteLongWord(stream, endTime);
    WriteByte(stream, vehicleRegistrationNation);
    WriteBytes(stream, vehicleRegistrationNumber);
}

void TCardIncidentRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    const std::string kind = kind_;
    std::string text;
    switch (index) {
    case 0: text = kind + "Type : " + Hex2(type); break;
    case 1: text = kind + "BeginTime : " + Hex8(beginTime); break;
    case 2: text = kind + "EndTime : " + Hex8(endTime); break;
    case 3: text = Field("vehicleRegistrationNation : ", vehicleRegistrationNation); break;
    case 4: text = Field("vehicleRegistrationNumber : ", vehicleRegistrationNumber); break;
    default: break;
    }
    SetLeaf(text, caption, child);
}

template <class Record>
TCardIncidentRecords<Record>::TCardIncidentRecords(std::size_t count, const char* caption) : caption_(caption)
{
    // count comes from a single byte of the card: at most 255 records.
    records_.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        records_.push_back(std::make_unique<Record>());
}

template <class Record>
void TCardIncidentRecords<Record>::LoadFromStream(TMemoryStream& stream, const T1BDriverCard& card)
{
    if (!card.ApplicationIdentificationRecord())
        return;
    for (auto& record : records_)
        record->LoadFromStream(stream);
}

template <class Record>
void TCardIncidentRecords<Record>::SaveToStream(TMemoryStream& stream, const T1BDriverCard& card) const
{
    if (!card.ApplicationIdentificationRecord())
        return;
    for (const auto& record : records_)
        record->SaveToStream(stream);
}

template <class Record>
void TCardIncidentRecords<Record>::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index >= 0 && index < ItemCount())
        SetNode(caption_, records_[static_cast<std::size_t>(index)].get(), caption, child);
}

template class TCardIncidentRecords<TCardEventRecord>;
template class TCardIncidentRecords<TCardFaultRecord>;

namespace {

std::size_t EventsPerType(const T1BDriverCard& card)
{
    const auto* ident = card.ApplicationIdentificationRecord();
    return ident ? ident->noOfEventsPerType : 0;
}

std::size_t FaultsPerType(const T1BDriverCard& card)
{
    const auto* ident = card.ApplicationIdentificationRecord();
    return ident ? ident->noOfFaultsPerType : 0;
}

} // namespace

TCardEventRecords::TCardEventRecords(const T1BDriverCard& card)
    : TCardIncidentRecords(EventsPerType(card), "CardEventRecord")
{
}

TCardFaultRecords::TCardFaultRecords(const T1BDriverCard& card)
    : TCardIncidentRecords(FaultsPerType(card), "CardFaultRecord")
{
}

TCardEventData::TCardEventData(const T1BDriverCard& card)
{
    for (auto& group : groups_)
        group = std::make_unique<TCardEventRecords>(card);
}

void TCardEventData::LoadFromStream(TMemoryStream& stream, const T1BDriverCard& card)
{
    for (auto& group : groups_)
        group->LoadFromStream(stream, card);
}

void TCardEventData::SaveToStream(TMemoryStream& stream, const T1BDriverCard& card) const
{
    for (const auto& group : groups_)
        group->SaveToStream(stream, card);
}

void TCardEventData::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index >= 0 && index < ItemCount())
        SetNode("CardEventRecords", groups_[static_cast<std::size_t>(index)].get(), caption, child);
}

TCardFaultData::TCardFaultData(const T1BDriverCard& card)
{
    for (auto& group : groups_)
        group = std::make_unique<TCardFaultRecords>(card);
}

void TCardFaultData::LoadFromStream(TMemoryStream& stream, const T1BDriverCard& card)
{
    for (auto& group : groups_)
        group->LoadFromStream(stream, card);
}

void TCardFaultData::SaveToStream(TMemoryStream& stream, const T1BDriverCard& card) const
{
    for (const auto& group : groups_)
        group->SaveToStream(stream, card);
}

void TCardFaultData::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index >= 0 && index < ItemCount())
        SetNode("CardFaultRecords", groups_[static_cast<std::size_t>(index)].get(), caption, child);
}
