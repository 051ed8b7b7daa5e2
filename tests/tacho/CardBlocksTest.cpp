// The split of a card image into its blocks, and telling a file's content.
#include "uCardBlocks.h"
#include "uImageKind.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;
}

TEST(CardBlocks, StepsFromHeaderToHeaderByTheAnnouncedLengths)
{
    // EF_ICC data (3 bytes), an FID no card knows (stepped over all the
    // same), then a signature block cut short by the end of the image.
    const Bytes image{0x00, 0x02, 0x00, 0x00, 0x03, 1, 2, 3,  //
                      0xC2, 0x09, 0x00, 0x00, 0x01, 9,        //
                      0x05, 0x01, 0x01, 0x00, 0x80, 7, 7};
    const std::vector<TCardBlockHeader> blocks = SplitCardBlocks(image);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].fid, 0x0002);
    EXPECT_EQ(blocks[0].length, 3u);
    EXPECT_EQ(blocks[0].body.data(), image.data() + 5);
    EXPECT_TRUE(blocks[0].Complete());
    EXPECT_EQ(blocks[1].fid, 0xC209);
    EXPECT_EQ(blocks[1].headerOffset, 8u);
    EXPECT_EQ(blocks[2].kind, 1);
    EXPECT_EQ(blocks[2].length, 128u);
    EXPECT_EQ(blocks[2].body.size(), 2u);
    EXPECT_FALSE(blocks[2].Complete());

    // Fewer than five bytes make no header.
    EXPECT_TRUE(SplitCardBlocks(Bytes{0x00, 0x02, 0x00, 0x00}).empty());
}

TEST(ImageKind, IsToldByTheContent)
{
    const Bytes cardHeader{0x00, 0x02, 0x00, 0x00, 0x01, 0x00};
    Bytes viaVu{0x76, 0x06};
    viaVu.insert(viaVu.end(), cardHeader.begin(), cardHeader.end());
    const struct {
        const char* what;
        Bytes bytes;
        TImageKind kind;
        std::size_t start;
    } cases[] = {
        {"card image", cardHeader, TImageKind::DriverCard, 0},
        {"card image read through a VU", viaVu, TImageKind::DriverCard, 2},
        {"VU download", {0x76, 0x01, 0x00}, TImageKind::VuOverview, 2},
        {"unknown FID", {0x12, 0x34, 0x00, 0x00, 0x00}, TImageKind::Unknown, 0},
        {"known FID, unknown kind", {0x00, 0x02, 0x04, 0x00, 0x00}, TImageKind::Unknown, 0},
        {"generation 2 data first", {0x00, 0x02, 0x02, 0x00, 0x00}, TImageKind::CardGeneration2, 0},
        {"generation 2 signature later", Bytes{0x00, 0x02, 0x00, 0x00, 0x01, 0xAA, 0x05, 0x01, 0x03, 0x00, 0x00},
         TImageKind::CardGeneration2, 0},
        {"smart tachograph VU download", {0x76, 0x21, 0x00}, TImageKind::VuGeneration2, 0},
        {"smart tachograph VU download, version 2", {0x76, 0x31}, TImageKind::VuGeneration2, 0},
        {"76 06 without a card behind it", {0x76, 0x06, 0x00}, TImageKind::Unknown, 0},
        {"nothing", {}, TImageKind::Unknown, 0},
    };
    for (const auto& c : cases) {
        const TImage image = DetectImage(c.bytes);
        EXPECT_EQ(image.kind, c.kind) << c.what;
        EXPECT_EQ(image.start, c.start) << c.what;
    }
}
