#include "uCardBlocks.h"

#include <algorithm>

bool ReadCardBlockHeader(std::span<const std::uint8_t> image, std::size_t offset, TCardBlockHeader& header)
{
    if (offset > image.size() || image.size() - offset < TCardBlockHeader::kSize)
        return false;
    const std::uint8_t* h = image.data() + offset;
    header.fid = static_cast<std::uint16_t>(h[0] << 8 | h[1]);
    header.kind = h[2];
    header.length = static_cast<std::uint16_t>(h[3] << 8 | h[4]);
    header.headerOffset = offset;
    const std::size_t bodyStart = offset + TCardBlockHeader::kSize;
    header.body = image.subspan(bodyStart, std::min<std::size_t>(header.length, image.size() - bodyStart));
    return true;
}

std::vector<TCardBlockHeader> SplitCardBlocks(std::span<const std::uint8_t> image)
{
    std::vector<TCardBlockHeader> blocks;
    TCardBlockHeader header;
    // Each step takes at least the five header bytes, so the split ends.
    for (std::size_t at = 0; ReadCardBlockHeader(image, at, header);
         at = header.BodyOffset() + header.length)
        blocks.push_back(header);
    return blocks;
}
