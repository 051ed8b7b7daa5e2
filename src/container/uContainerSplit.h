#pragma once
// The Vexa's data file, split into its raw pieces without reading them.
//
//   F0h len   data file: the entries, one after the other, up to the end of
//             the received data (its length ends nothing)
//   F1h L     entry: parts until the position has advanced by at least L
//             bytes since the first part began (the last part may run past L)
//   Axh len   part: x is the part number
//               A1h  VU overview, a transfer response 76h 01h ...
//               A2h..A5h further VU transfer responses
//               A6h  card image read through a VU, 76h 06h + image
//               A7h  card image read directly
//               A0h, A8h..AFh  not interpreted
//
// Length rule: b < 80h is the length itself; otherwise the next (b AND 0Fh)
// bytes, big-endian, kept in 32 bits (bits 4 to 6 of b are ignored).
//
// Every reader of the data file (the check before the Vexa may delete it,
// the storage pass, the link's total, the tools) walks this split, so the
// grammar and its quirks live here only. The data is hostile: every length
// is checked against the bytes present, and every step consumes bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace container {
constexpr std::uint8_t kDataFileTag = 0xF0;
constexpr std::uint8_t kEntryTag = 0xF1;
constexpr std::uint8_t kOverviewPart = 0xA1;
constexpr std::uint8_t kCardViaVuPart = 0xA6;
constexpr std::uint8_t kCardPart = 0xA7;

constexpr bool IsPartTag(std::uint8_t tag) { return (tag & 0xF0) == 0xA0; }
constexpr int PartNumber(std::uint8_t tag) { return tag & 0x0F; }
// A2h..A5h: the VU transfer responses whose presence makes a VU archive.
constexpr bool IsVuResponsePart(std::uint8_t tag) { return tag >= 0xA2 && tag <= 0xA5; }
// A8h..AFh: kept apart from the main archive.
constexpr bool IsSeparatePart(std::uint8_t tag) { return tag >= 0xA8 && tag <= 0xAF; }
} // namespace container

// Reads one length by the length rule at pos and advances past it. Missing
// bytes count as zero; callers check the result against what is left.
std::uint32_t ReadContainerLength(std::span<const std::uint8_t> data, std::size_t& pos);

// Where the walk could not go on.
enum class TSplitStop {
    None,
    NoDataFileTag,  // the first byte is not F0h (or there is none)
    NoEntryTag,     // a byte other than F1h, or none, where an entry should start
    BadPartTag,     // a part tag outside A0h..AFh; the walk goes on after it
    PartPastEnd,    // a part announces more bytes than are left; the walk goes on after its length
    EntryPastEnd,   // the data ends before the entry's L bytes were taken
};

struct TContainerPart {
    std::uint8_t tag = 0;
    std::size_t tagOffset = 0;      // of the tag byte
    std::size_t offset = 0;         // of the first content byte
    std::uint32_t length = 0;       // as announced
    std::span<const std::uint8_t> bytes;  // the content; empty when it is not all there

    int Number() const { return container::PartNumber(tag); }
    bool Complete() const { return bytes.size() == length; }
};

struct TContainerEntry {
    std::size_t offset = 0;         // of the F1h tag
    std::uint32_t length = 0;       // L, as announced
    std::size_t contentOffset = 0;  // of the first part
    // The parts met, in order. After PartPastEnd the last one is incomplete.
    std::vector<TContainerPart> parts;
    TSplitStop stop = TSplitStop::None;  // None, BadPartTag, PartPastEnd or EntryPastEnd
    std::size_t stopOffset = 0;
    std::size_t end = 0;            // where the walk went on after this entry
};

struct TContainerSplit {
    std::size_t size = 0;           // bytes in the data file
    std::uint32_t declaredLength = 0;  // the outer length (only shown)
    std::vector<TContainerEntry> entries;
    // NoDataFileTag (no entries then) or NoEntryTag after the entries;
    // None when the entries took the data to its end.
    TSplitStop stop = TSplitStop::None;
    std::size_t stopOffset = 0;
};

// Splits the whole data file. The pieces are views into data, which must
// outlive the split.
TContainerSplit SplitContainer(std::span<const std::uint8_t> data);
// The walk of the entries alone, from pos (a reader that gave up on an entry
// half-way goes on from where it stood).
TContainerSplit SplitEntries(std::span<const std::uint8_t> data, std::size_t pos);

// The outer length as a first block declares it, in the link's 32-bit count:
// 0 when the block does not start with F0h; bytes beyond the block count as
// zero and a value past the signed 32-bit range is clamped.
std::int32_t DeclaredDataFileLength(std::span<const std::uint8_t> block);
// The whole data file as a first block declares it: its tag and length bytes
// and the outer length (clamped as above); 0 when the block does not start
// with F0h.
std::int64_t DeclaredDataFileSize(std::span<const std::uint8_t> block);
