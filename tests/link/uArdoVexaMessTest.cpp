#include "uArdoVexaMess.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Build(std::uint8_t command, const Bytes& data) { return TvexaMessage(command, data).Data; }

TEST(VexaFrame, BuildsRequestsByteForByte)
{
    struct Case {
        std::uint8_t command;
        Bytes data;
        Bytes frame;
    } const cases[] = {
        {0x81, {}, {0x02, 0x61, 0x00, 0x00, 0x01, 0x81, 0xE1, 0x03}},
        {0x80, {0x01}, {0x02, 0x61, 0x00, 0x00, 0x02, 0x80, 0x01, 0xE2, 0x03}},
        {0x70, {}, {0x02, 0x61, 0x00, 0x00, 0x01, 0x70, 0x10, 0x03}},
        {0x71, {0x0F, 0x03, 0x08, 0x0E, 0x1E, 0x01},
         {0x02, 0x61, 0x00, 0x00, 0x07, 0x71, 0x0F, 0x03, 0x08, 0x0E, 0x1E, 0x01, 0x02, 0x03}},
    };
    for (const Case& c : cases) {
        const TvexaMessage m(c.command, c.data);
        EXPECT_EQ(m.Data, c.frame) << std::hex << int(c.command);
        EXPECT_EQ(m.Length, static_cast<int>(c.frame.size()));
        EXPECT_EQ(m.Validate(), kFrameOk);
        EXPECT_EQ(m.DataLength(), static_cast<int>(c.data.size()));
    }
}

TEST(VexaFrame, LongRequestHasBigEndianLengthField)
{
    const Bytes data(300, 0xAA);
    const TvexaMessage m(0x71, data);
    EXPECT_EQ(m.Length, 308);
    EXPECT_EQ(m.Data[3], 0x01);
    EXPECT_EQ(m.Data[4], 0x2D); // 301
    EXPECT_EQ(m.Validate(), kFrameOk);
}

TEST(VexaFrame, ValidatesReceivedFrames)
{
    const Bytes good = Build(0x00, {0x02, 0x03, 0x02, 0x03}); // STX/ETX values inside the data
    auto with = [&](std::size_t offset, std::uint8_t value) {
        Bytes b = good;
        b[offset] = value;
        return b;
    };
    Bytes byte2 = with(2, 0x5A);
    byte2[byte2.size() - 2] ^= 0x5A; // checksum covers byte 2
    Bytes lengthPlusOne = with(4, static_cast<std::uint8_t>(good[4] + 1));
    lengthPlusOne[lengthPlusOne.size() - 2] ^= 0xFF; // and a bad checksum that must not be looked at
    Bytes trailing = good;
    trailing.push_back(0x03);

    struct Case {
        const char* name;
        Bytes frame;
        int expected;
    } const cases[] = {
        {"good, data holds 02h/03h", good, kFrameOk},
        {"byte 2 not zero", byte2, kFrameOk},
        {"wrong STX", with(0, 0x03), kFrameBadDelimiters},
        {"wrong second byte", with(1, 0x62), kFrameBadDelimiters},
        {"wrong ETX, length right", with(good.size() - 1, 0x04), kFrameBadDelimiters},
        {"length field one too large", lengthPlusOne, kFrameBadLength},
        {"one byte more than declared", trailing, kFrameBadLength},
        {"checksum", with(good.size() - 2, static_cast<std::uint8_t>(good[good.size() - 2] ^ 1)), kFrameBadChecksum},
        {"empty", {}, kFrameBadDelimiters},
        {"STX only", {0x02}, kFrameBadDelimiters},
        {"short, delimiters right", {0x02, 0x61, 0x03}, kFrameBadLength},
        // Length field 0: no status byte; its checksum byte would pass for one.
        {"length field 0", {0x02, 0x61, 0x61, 0x00, 0x00, 0x00, 0x03}, kFrameBadLength},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TvexaMessage(c.frame).Validate(), c.expected) << c.name;
}

TEST(VexaFrame, ReceivedFrameReadsFieldsFromTheLengthField)
{
    Bytes b = Build(0x00, {0x11, 0x22});
    b.push_back(0xEE); // longer than declared
    const TvexaMessage m(b);
    EXPECT_EQ(m.FrameLength(), 11);
    EXPECT_EQ(m.Length, 11);
    EXPECT_EQ(m.DataLength(), 2);
    EXPECT_EQ(m.Code(), 0x00);
    EXPECT_EQ(m.DataByte(1), 0x22);
    EXPECT_EQ(m.Payload().size(), 2u);
    EXPECT_EQ(m.DataByte(50), 0x00);

    // A length field larger than the frame never reads past it.
    Bytes lying = Build(0x00, {0x11});
    lying[3] = 0xFF;
    EXPECT_EQ(TvexaMessage(lying).Payload().size(), 1u);
}

} // namespace
