#pragma once
// The detailed speed of a VU (transfer response 76h 04h), read into records.
//
// Layout after 76h 04h (numbers big-endian, times TimeReal):
//   noOfSpeedBlocks                       2
//   VuDetailedSpeedBlock            64 each  begin 4 | 60 speeds in km/h, one per second
//   Signature                           128  over every byte from noOfSpeedBlocks on

#include "uTachy1BBlock.h"

#include <cstdint>
#include <memory>

class TVuDetailedSpeedBlock : public TvtInfoProvide {
public:
    static constexpr std::size_t kSpeeds = 60;
    static constexpr std::size_t kSize = 4 + kSpeeds;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint32_t speedBlockBeginDate = 0;
    std::uint8_t speedsPerSecond[kSpeeds] = {};
};

class TVuDetailedSpeedData : public TVuRecordList<TVuDetailedSpeedBlock, std::uint16_t> {
public:
    TVuDetailedSpeedData() : TVuRecordList("VuDetailedSpeedData", "noOfSpeedBlocks : ", "VuDetailedSpeedBlock") {}
};

class TF7604 : public TVuTransferBlock {
public:
    static constexpr std::uint8_t kTrep = 0x04;
    using TVuTransferBlock::TVuTransferBlock;

    std::uint8_t Trep() const override { return kTrep; }
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::unique_ptr<TVuDetailedSpeedData> vuDetailedSpeedData = std::make_unique<TVuDetailedSpeedData>();

protected:
    void LoadData(TMemoryStream& stream) override;
    void SaveData(TMemoryStream& stream) const override;
};
