#include "uImageKind.h"

#include "uCard1BFile.h"
#include "uCardBlocks.h"
#include "uTachy1BDownload.h"

namespace {

bool KnownHeader(std::span<const std::uint8_t> bytes, std::size_t offset, std::uint8_t maxKind)
{
    TCardBlockHeader header;
    return ReadCardBlockHeader(bytes, offset, header) && T1BDriverCard::SlotOfFid(header.fid) >= 0 &&
           header.kind <= maxKind;
}

// Generation 2 cards carry their own data and signature blocks beside the
// generation 1 ones.
bool HasGeneration2Blocks(std::span<const std::uint8_t> image)
{
    for (const TCardBlockHeader& block : SplitCardBlocks(image))
        if (block.kind == 2 || block.kind == 3)
            return true;
    return false;
}

TImage Card(std::span<const std::uint8_t> bytes, std::size_t start)
{
    const bool generation2 = HasGeneration2Blocks(bytes.subspan(start));
    return {generation2 ? TImageKind::CardGeneration2 : TImageKind::DriverCard, start};
}

} // namespace

bool StartsWithCardHeader(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return KnownHeader(bytes, offset, 1);
}

TImage DetectImage(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() >= 2 && bytes[0] == 0x76 && bytes[1] == 0x01)
        return {TImageKind::VuOverview, 2};
    if (bytes.size() >= 2 && bytes[0] == 0x76 && IsGeneration2Trep(bytes[1]))
        return {TImageKind::VuGeneration2, 0};
    // A card downloaded through a VU comes behind its transfer response.
    if (bytes.size() >= 2 && bytes[0] == 0x76 && bytes[1] == 0x06 && KnownHeader(bytes, 2, 3))
        return Card(bytes, 2);
    if (KnownHeader(bytes, 0, 3))
        return Card(bytes, 0);
    return {};
}
