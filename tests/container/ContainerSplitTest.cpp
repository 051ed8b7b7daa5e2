// The raw split of a data file: the length rule, the pieces, and where and
// why the walk stops. The passes over the pieces are tested in tests/download.
#include "uContainerSplit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Hex(const Bytes& bytes)
{
    std::string text;
    for (std::uint8_t b : bytes) {
        static const char* digits = "0123456789ABCDEF";
        text += digits[b >> 4];
        text += digits[b & 15];
        text += ' ';
    }
    return text;
}

} // namespace

TEST(ContainerLength, FollowsTheLengthRule)
{
    const struct {
        Bytes bytes;
        std::uint32_t length;
        std::size_t consumed;
    } cases[] = {
        {{0x45}, 69, 1},
        {{0x81, 0xC8}, 200, 2},
        {{0x82, 0x01, 0x2C}, 300, 3},
        {{0x80}, 0, 1},
        {{0xB1, 0xC8}, 200, 2},  // bits 4 to 6 are ignored
        // Fifteen length bytes: only the last four survive in 32 bits.
        {{0x8F, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0x12, 0x34, 0x56, 0x78}, 0x12345678, 16},
        // Missing length bytes read as zero and nothing runs past the end.
        {{0x82, 0x01}, 0x100, 2},
    };
    for (const auto& c : cases) {
        std::size_t pos = 0;
        EXPECT_EQ(ReadContainerLength(c.bytes, pos), c.length) << Hex(c.bytes);
        EXPECT_EQ(pos, c.consumed) << Hex(c.bytes);
    }
}

TEST(ContainerSplit, GivesEntriesAndPartsAsViewsIntoTheData)
{
    // Two entries; the outer length (0) ends nothing; the first entry's last
    // part runs past its L = 2, which ends it without an error.
    const Bytes data{0xF0, 0x00,                                  //
                     0xF1, 0x02, 0xA0, 0x03, 1, 2, 3,             //
                     0xF1, 0x05, 0xA1, 0x01, 7, 0xA8, 0x00};
    const TContainerSplit split = SplitContainer(data);
    EXPECT_EQ(split.stop, TSplitStop::None);
    EXPECT_EQ(split.declaredLength, 0u);
    ASSERT_EQ(split.entries.size(), 2u);

    const TContainerEntry& first = split.entries[0];
    EXPECT_EQ(first.offset, 2u);
    EXPECT_EQ(first.length, 2u);
    ASSERT_EQ(first.parts.size(), 1u);
    EXPECT_EQ(first.parts[0].tag, 0xA0);
    EXPECT_EQ(first.parts[0].offset, 6u);
    EXPECT_EQ(first.parts[0].length, 3u);
    EXPECT_EQ(first.parts[0].bytes.data(), data.data() + 6);
    EXPECT_EQ(first.end, 9u);

    const TContainerEntry& second = split.entries[1];
    ASSERT_EQ(second.parts.size(), 2u);
    EXPECT_EQ(second.parts[0].Number(), 1);
    EXPECT_EQ(second.parts[1].Number(), 8);
    EXPECT_TRUE(second.parts[1].Complete());
    EXPECT_TRUE(second.parts[1].bytes.empty());
    EXPECT_EQ(second.end, data.size());
}

TEST(ContainerSplit, NamesWhatStoppedTheWalkAndWhere)
{
    const struct {
        const char* what;
        Bytes bytes;
        TSplitStop fileStop;
        std::size_t entries;
        TSplitStop entryStop;  // of the first entry
        std::size_t stopOffset; // of the file's stop, else of the first entry's
    } cases[] = {
        {"empty data file", {}, TSplitStop::NoDataFileTag, 0, TSplitStop::None, 0},
        {"first tag not F0", {0xF1, 0x00}, TSplitStop::NoDataFileTag, 0, TSplitStop::None, 0},
        {"F0 00 alone", {0xF0, 0x00}, TSplitStop::NoEntryTag, 0, TSplitStop::None, 2},
        {"entry tag not F1", {0xF0, 0x03, 0xF2, 0x01, 0xA0}, TSplitStop::NoEntryTag, 0, TSplitStop::None, 2},
        {"trailing byte after the last entry", {0xF0, 0x05, 0xF1, 0x02, 0xA0, 0x00, 0x00}, TSplitStop::NoEntryTag, 1,
         TSplitStop::None, 6},
        // The walk goes on right after the bad tag, where it finds no F1h.
        {"part tag outside A0..AF", {0xF0, 0x04, 0xF1, 0x02, 0xB2, 0x00}, TSplitStop::NoEntryTag, 1,
         TSplitStop::BadPartTag, 5},
        {"entry longer than its parts and the data", {0xF0, 0x06, 0xF1, 0x10, 0xA0, 0x01, 0x00}, TSplitStop::None, 1,
         TSplitStop::EntryPastEnd, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TContainerSplit split = SplitContainer(c.bytes);
        EXPECT_EQ(split.stop, c.fileStop);
        ASSERT_EQ(split.entries.size(), c.entries);
        if (c.entries > 0) {
            EXPECT_EQ(split.entries[0].stop, c.entryStop);
        }
        const std::size_t offset =
            c.fileStop != TSplitStop::None ? split.stopOffset : split.entries.at(0).stopOffset;
        EXPECT_EQ(offset, c.stopOffset);
    }
}

TEST(ContainerSplit, TakesNothingOfAPartLongerThanTheDataLeft)
{
    // A hostile length near 4 GiB: the part is named, nothing is taken, and
    // the walk goes on right after its length bytes (here an F1h entry).
    const Bytes data{0xF0, 0x00, 0xF1, 0x08, 0xA2, 0x84, 0xFF, 0xFF, 0xFF, 0xF0, 0xF1, 0x02, 0xA3, 0x00};
    const TContainerSplit split = SplitContainer(data);
    ASSERT_EQ(split.entries.size(), 2u);
    const TContainerEntry& entry = split.entries[0];
    EXPECT_EQ(entry.stop, TSplitStop::PartPastEnd);
    ASSERT_EQ(entry.parts.size(), 1u);
    EXPECT_EQ(entry.parts[0].length, 0xFFFFFFF0u);
    EXPECT_FALSE(entry.parts[0].Complete());
    EXPECT_TRUE(entry.parts[0].bytes.empty());
    EXPECT_EQ(entry.end, 10u);
    EXPECT_EQ(split.entries[1].parts.at(0).tag, 0xA3);
}

TEST(ContainerSplit, WalksEntriesFromAnyPosition)
{
    const Bytes data{0xF0, 0x00, 0xF1, 0x02, 0xA0, 0x00, 0xF1, 0x02, 0xA4, 0x00};
    const TContainerSplit split = SplitEntries(data, 6);
    ASSERT_EQ(split.entries.size(), 1u);
    EXPECT_EQ(split.entries[0].parts.at(0).tag, 0xA4);
    EXPECT_EQ(SplitEntries(data, 4).stop, TSplitStop::NoEntryTag);
}

TEST(DeclaredDataFileLength, ReadsTheOuterLengthOfAFirstBlock)
{
    const struct {
        Bytes block;
        std::int32_t total;
    } cases[] = {
        {{0xF0, 0x82, 0x01, 0x2C, 0xF1}, 300},
        {{0xF0, 0x80}, 0},
        {{0xF1, 0x05}, 0},  // not a data file's start: not known yet
        {{}, 0},
        {{0xF0, 0x84, 0xFF, 0xFF, 0xFF, 0xFF}, 0x7FFFFFFF},  // clamped, never negative
        {{0xF0, 0x82, 0x01}, 0x100},  // bytes beyond the block count as zero
    };
    for (const auto& c : cases)
        EXPECT_EQ(DeclaredDataFileLength(c.block), c.total) << Hex(c.block);
}
