#include "uContainerSplit.h"

#include <limits>

namespace {

// A tag byte at pos, advancing past it; false when no byte is left.
bool ReadTag(std::span<const std::uint8_t> data, std::size_t& pos, std::uint8_t& tag)
{
    if (pos >= data.size())
        return false;
    tag = data[pos++];
    return true;
}

// One entry from its first part on; pos ends where the walk goes on.
void SplitEntry(std::span<const std::uint8_t> data, std::size_t& pos, TContainerEntry& entry)
{
    entry.contentOffset = pos;
    if (entry.length == 0)
        return;
    const std::size_t end = pos + entry.length;
    // Every round takes at least the tag byte, so the walk ends.
    while (true) {
        const std::size_t tagOffset = pos;
        std::uint8_t tag = 0;
        if (!ReadTag(data, pos, tag)) {
            entry.stop = TSplitStop::EntryPastEnd;
            entry.stopOffset = pos;
            return;
        }
        if (!container::IsPartTag(tag)) {
            entry.stop = TSplitStop::BadPartTag;
            entry.stopOffset = tagOffset;
            return;
        }
        TContainerPart part;
        part.tag = tag;
        part.tagOffset = tagOffset;
        part.length = ReadContainerLength(data, pos);
        part.offset = pos;
        if (part.length > data.size() - pos) {
            // Nothing of it is taken: the walk goes on right after its length.
            entry.parts.push_back(part);
            entry.stop = TSplitStop::PartPastEnd;
            entry.stopOffset = pos;
            return;
        }
        part.bytes = data.subspan(pos, part.length);
        pos += part.length;
        entry.parts.push_back(part);
        if (pos >= end)
            return;
    }
}

} // namespace

std::uint32_t ReadContainerLength(std::span<const std::uint8_t> data, std::size_t& pos)
{
    const auto next = [&]() -> std::uint8_t { return pos < data.size() ? data[pos++] : 0; };
    const std::uint8_t first = next();
    if (first < 0x80)
        return first;
    // With more than four bytes the leading ones are shifted out.
    const int count = first & 0x0F;
    std::uint32_t length = 0;
    for (int i = 0; i < count; ++i)
        length = (length << 8) | next();
    return length;
}

TContainerSplit SplitContainer(std::span<const std::uint8_t> data)
{
    TContainerSplit split;
    split.size = data.size();
    std::size_t pos = 0;
    std::uint8_t tag = 0;
    if (!ReadTag(data, pos, tag) || tag != container::kDataFileTag) {
        split.stop = TSplitStop::NoDataFileTag;
        return split;
    }
    const std::uint32_t declared = ReadContainerLength(data, pos);
    split = SplitEntries(data, pos);
    split.declaredLength = declared;
    return split;
}

TContainerSplit SplitEntries(std::span<const std::uint8_t> data, std::size_t pos)
{
    TContainerSplit split;
    split.size = data.size();
    std::uint8_t tag = 0;
    // Only the end of the data ends the walk; at least one entry is expected.
    // Every round takes at least the entry tag, so the walk ends.
    while (true) {
        const std::size_t offset = pos;
        if (!ReadTag(data, pos, tag) || tag != container::kEntryTag) {
            split.stop = TSplitStop::NoEntryTag;
            split.stopOffset = offset;
            return split;
        }
        TContainerEntry entry;
        entry.offset = offset;
        entry.length = ReadContainerLength(data, pos);
        SplitEntry(data, pos, entry);
        if (entry.stop == TSplitStop::BadPartTag)
            pos = entry.stopOffset + 1;
        entry.end = pos;
        split.entries.push_back(std::move(entry));
        if (pos >= data.size())
            return split;
    }
}

std::int64_t DeclaredDataFileSize(std::span<const std::uint8_t> block)
{
    if (block.empty() || block[0] != container::kDataFileTag)
        return 0;
    const std::uint8_t b = block.size() > 1 ? block[1] : 0;
    const std::int64_t header = 2 + (b < 0x80 ? 0 : (b & 0x0F));
    return header + DeclaredDataFileLength(block);
}

std::int32_t DeclaredDataFileLength(std::span<const std::uint8_t> block)
{
    if (block.empty() || block[0] != container::kDataFileTag)
        return 0;
    const auto at = [&](std::size_t i) -> std::uint8_t { return i < block.size() ? block[i] : 0; };
    const std::uint8_t b = at(1);
    if (b < 0x80)
        return b;
    const int k = b & 0x0F;
    std::uint64_t value = 0;
    constexpr std::uint64_t kMax = std::numeric_limits<std::int32_t>::max();
    for (int i = 0; i < k; ++i) {
        value = value << 8 | at(2 + static_cast<std::size_t>(i));
        if (value > kMax)
            return static_cast<std::int32_t>(kMax);
    }
    return static_cast<std::int32_t>(value);
}
