#include "uTachy1BSpeed.h"

using vu1b::Field;

void TVuDetailedSpeedBlock::LoadFromStream(TMemoryStream& stream)
{
    ReadLongWord(stream, speedBlockBeginDate);
    ReadBytes(stream, speedsPerSecond);
}

void TVuDetailedSpeedBlock::SaveToStream(TMemoryStream& stream) const
{
    WriteLongWord(stream, speedBlockBeginDate);
    WriteBytes(stream, speedsPerSecond);
}

void TVuDetailedSpeedBlock::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index == 0)
        SetLeaf(Field("speedBlockBeginDate : ", speedBlockBeginDate), caption, child);
    else if (index == 1)
        SetLeaf(Field("speedsPerSecond : ", speedsPerSecond), caption, child);
}

void TF7604::LoadData(TMemoryStream& stream) { vuDetailedSpeedData->LoadFromStream(stream); }
void TF7604::SaveData(TMemoryStream& stream) const { vuDetailedSpeedData->SaveToStream(stream); }

void TF7604::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index == 0)
        SetNode("VuDetailedSpeedData", vuDetailedSpeedData.get(), caption, child);
    else if (index == 1)
        SetLeaf(Field("Signature : ", signature_), caption, child);
}
