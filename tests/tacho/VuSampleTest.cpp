// The reader of a whole VU download over the real downloads: every block
// read, saved back as it was, and no damage that crashes or hangs it.
// Personal fields are never printed.
#include "Samples.h"
#include "uTachy1BDownload.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Bytes = std::vector<std::uint8_t>;

class VuSamples : public ::testing::TestWithParam<const char*> {};

TEST_P(VuSamples, EveryBlockReadAndSavedAsItWas)
{
    PELLKIT_REQUIRE_SAMPLE(bytes, GetParam());
    TMemoryStream stream(bytes);
    TVuDownload vu;
    vu.LoadFromStream(stream);
    EXPECT_FALSE(vu.Stop().has_value()) << vu.Stop()->reason;
    ASSERT_EQ(vu.Blocks().size(), 34u);
    EXPECT_EQ(vu.BlocksOf<TF7601>().size(), 1u);
    EXPECT_EQ(vu.BlocksOf<TF7602>().size(), 30u);
    EXPECT_EQ(vu.BlocksOf<TF7603>().size(), 1u);
    EXPECT_EQ(vu.BlocksOf<TF7604>().size(), 1u);
    EXPECT_EQ(vu.BlocksOf<TF7605>().size(), 1u);
    const TVuBlockEntry& last = vu.Blocks().back();
    EXPECT_EQ(last.offset + last.size, bytes.size());
    for (const TVuBlockEntry& entry : vu.Blocks()) {
        const auto* block = dynamic_cast<const TVuTransferBlock*>(entry.block);
        if (!block)
            continue;
        TMemoryStream out;
        block->SaveToStream(out);
        EXPECT_TRUE(out.Buffer() == Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(entry.offset + 2),
                                          bytes.begin() + static_cast<std::ptrdiff_t>(entry.offset + entry.size)))
            << "block at " << entry.offset;
    }
    // The days follow each other.
    const auto days = vu.BlocksOf<TF7602>();
    for (std::size_t i = 1; i < days.size(); ++i)
        EXPECT_EQ(days[i]->dateOfDayDownloaded, days[i - 1]->dateOfDayDownloaded + 86400);
}

TEST_P(VuSamples, CutAndDamagedDownloadsStopCleanly)
{
    PELLKIT_REQUIRE_SAMPLE(bytes, GetParam());
    std::vector<std::size_t> cuts;
    {
        TMemoryStream stream(bytes);
        TVuDownload vu;
        vu.LoadFromStream(stream);
        for (const TVuBlockEntry& e : vu.Blocks())
            for (std::size_t d : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{9}, e.size - 1})
                cuts.push_back(e.offset + d);
    }
    for (std::size_t n : cuts) {
        TMemoryStream stream(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
        TVuDownload vu;
        vu.LoadFromStream(stream);
        if (n > 0 && vu.Blocks().empty()) {
            EXPECT_TRUE(vu.Stop().has_value());
        }
        for (const TVuBlockEntry& e : vu.Blocks())
            EXPECT_LE(e.offset + e.size, n);
    }
    std::mt19937 random(20240612);
    for (int round = 0; round < 300; ++round) {
        Bytes damaged = bytes;
        for (int k = 0; k < 4; ++k)
            damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
        TMemoryStream stream(damaged);
        TVuDownload vu;
        vu.LoadFromStream(stream);
        std::size_t end = 0;
        for (const TVuBlockEntry& e : vu.Blocks()) {
            EXPECT_EQ(e.offset, end);
            end = e.offset + e.size;
        }
        EXPECT_TRUE(end == damaged.size() || vu.Stop().has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, VuSamples, ::testing::Values("vu-de-locks.ddd", "vu-de-activities.ddd"),
                         [](const auto& param) {
                             return std::string(param.param).find("locks") != std::string::npos ? "locks" : "activities";
                         });

} // namespace
