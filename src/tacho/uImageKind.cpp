#include "uImageKind.h"

#include "uCard1BFile.h"
#include "uCardBlocks.h"

bool StartsWithCardHeader(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    TCardBlockHeader header;
    return ReadCardBlockHeader(bytes, offset, header) && T1BDriverCard::SlotOfFid(header.fid) >= 0 &&
           (header.kind == 0 || header.kind == 1);
}

TImage DetectImage(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() >= 2 && bytes[0] == 0x76 && bytes[1] == 0x01)
        return {TImageKind::VuOverview, 2};
    // A card downloaded through a VU comes behind its transfer response.
    if (bytes.size() >= 2 && bytes[0] == 0x76 && bytes[1] == 0x06 && StartsWithCardHeader(bytes, 2))
        return {TImageKind::DriverCard, 2};
    if (StartsWithCardHeader(bytes, 0))
        return {TImageKind::DriverCard, 0};
    return {};
}
