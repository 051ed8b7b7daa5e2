// The data files that vexa-sim packs (with the test builders): container
// bytes, the overview's length, the made-up card, the order of entries, and
// round trips over real downloads.

#include "ContainerBuilder.h"
#include "Samples.h"
#include "VexaSim.h"

#include "uCard1BFile.h"
#include "uContainer.h"
#include "uMemoryStream.h"

#include <gtest/gtest.h>

using namespace pellkit::test;

namespace {

class NullLog : public IDebugLog {
public:
    void DebugLog(const QString& line) override { lines.push_back(line.toStdString()); }
    std::vector<std::string> lines;
};

int Validate(const Bytes& container)
{
    TMemoryStream stream;
    stream.Write(container.data(), container.size());
    NullLog log;
    return ValidateContainer(log, stream);
}

Bytes Filled(std::size_t n, std::uint8_t value)
{
    return Bytes(n, value);
}

// A VU download: the overview (76 01, the fixed fields, locks, controls,
// signature) followed by `rest`.
Bytes MakeVuDownload(std::uint8_t locks, std::uint8_t controls, const Bytes& rest = {})
{
    Bytes d{0x76, 0x01};
    const auto add = [&d](const Bytes& b) { d.insert(d.end(), b.begin(), b.end()); };
    add(Filled(491, 0x11));
    d.push_back(locks);
    add(Filled(98u * locks, 0x22));
    d.push_back(controls);
    add(Filled(31u * controls, 0x33));
    add(Filled(128, 0x44));
    add(rest);
    return d;
}

// The parts of every entry of a container, each as (tag, content).
std::vector<std::vector<std::pair<std::uint8_t, Bytes>>> Walk(const Bytes& c)
{
    std::size_t pos = 0;
    const auto length = [&]() -> std::size_t {
        const std::uint8_t b = c.at(pos++);
        if (b < 0x80)
            return b;
        std::size_t v = 0;
        for (int k = b & 0x0F; k > 0; --k)
            v = (v << 8) | c.at(pos++);
        return v;
    };
    std::vector<std::vector<std::pair<std::uint8_t, Bytes>>> entries;
    EXPECT_EQ(c.at(pos++), 0xF0);
    const std::size_t outer = length();
    EXPECT_EQ(outer, c.size() - pos);
    while (pos < c.size()) {
        EXPECT_EQ(c.at(pos++), 0xF1);
        const std::size_t end = length() + pos;
        auto& parts = entries.emplace_back();
        while (pos < end) {
            const std::uint8_t tag = c.at(pos++);
            const std::size_t n = length();
            parts.emplace_back(tag, Bytes(c.begin() + static_cast<std::ptrdiff_t>(pos),
                                          c.begin() + static_cast<std::ptrdiff_t>(pos + n)));
            pos += n;
        }
        EXPECT_EQ(pos, end);
    }
    return entries;
}

} // namespace

TEST(VexaSimPack, LengthsUseTheShortestForm)
{
    const struct {
        std::size_t length;
        Bytes encoded;
    } cases[] = {
        {0, {0x00}},
        {0x7F, {0x7F}},
        {0x80, {0x81, 0x80}},
        {0xFF, {0x81, 0xFF}},
        {0x100, {0x82, 0x01, 0x00}},
        {0xFFFF, {0x82, 0xFF, 0xFF}},
        {0x12345, {0x83, 0x01, 0x23, 0x45}},
        {0x1000000, {0x84, 0x01, 0x00, 0x00, 0x00}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeLength(c.length), c.encoded) << c.length;
}

TEST(VexaSimPack, ContainerNestsEntriesAndParts)
{
    const Bytes big = Filled(128, 0xEE);
    Bytes bigContainer{0xF0, 0x81, 0x86, 0xF1, 0x81, 0x83, 0xA7, 0x81, 0x80};
    bigContainer.insert(bigContainer.end(), big.begin(), big.end());

    const struct {
        const char* name;
        std::vector<TEntryParts> entries;
        Bytes want;
    } cases[] = {
        {"card", {CardEntry(Bytes{0xAA, 0xBB, 0xCC})}, {0xF0, 0x07, 0xF1, 0x05, 0xA7, 0x03, 0xAA, 0xBB, 0xCC}},
        {"card via VU", {CardViaVuEntry(Bytes{0xAA})}, {0xF0, 0x07, 0xF1, 0x05, 0xA6, 0x03, 0x76, 0x06, 0xAA}},
        {"two entries",
         {CardEntry(Bytes{0x01}), CardEntry(Bytes{0x02})},
         {0xF0, 0x0A, 0xF1, 0x03, 0xA7, 0x01, 0x01, 0xF1, 0x03, 0xA7, 0x01, 0x02}},
        {"two-byte lengths at every level", {CardEntry(big)}, bigContainer},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MakeContainer(c.entries), c.want) << c.name;
}

TEST(VexaSimPack, OverviewLengthFollowsItsLocksAndControls)
{
    const struct {
        std::uint8_t locks, controls;
        std::size_t length;
    } cases[] = {{0, 0, 623}, {1, 0, 721}, {2, 3, 912}, {0, 5, 778}};
    const Bytes rest{0x76, 0x02, 0x01, 0x02, 0x03};
    for (const auto& c : cases) {
        const Bytes d = MakeVuDownload(c.locks, c.controls, rest);
        EXPECT_EQ(OverviewLength(d), c.length) << int(c.locks) << " locks, " << int(c.controls) << " controls";

        const TEntryParts e = VuEntry(d);
        ASSERT_EQ(e.size(), 2u);
        EXPECT_EQ(e[0].tag, 0xA1);
        EXPECT_EQ(e[0].content, Bytes(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(c.length)));
        EXPECT_EQ(e[1].tag, 0xA2);
        EXPECT_EQ(e[1].content, rest);
    }
    // An overview with nothing after it has no A2 part.
    EXPECT_EQ(VuEntry(MakeVuDownload(1, 1)).size(), 1u);
}

TEST(VexaSimPack, VuDownloadsThatCannotHoldTheirOverviewAreRefused)
{
    const Bytes full = MakeVuDownload(2, 3);
    const struct {
        const char* name;
        Bytes download;
        const char* message;
    } cases[] = {
        {"another transfer response first", Bytes{0x76, 0x02, 0x00}, "does not start with the overview 76 01"},
        {"empty", Bytes{}, "does not start with the overview 76 01"},
        {"cut before the locks count", Bytes(full.begin(), full.begin() + 493), "too short for its overview"},
        {"cut inside the locks", Bytes(full.begin(), full.begin() + 600), "too short for the 2 company locks"},
        {"cut in the signature", Bytes(full.begin(), full.end() - 1), "overview of 912 bytes (2 locks, 3 controls)"},
    };
    for (const auto& c : cases) {
        try {
            VuEntry(c.download);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const EPackError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

TEST(VexaSimPack, SyntheticCardsReadAsDistinctDriverCards)
{
    for (const int index : {1, 2}) {
        const Bytes image = SyntheticCardImage(index);
        TMemoryStream stream;
        stream.Write(image.data(), image.size());
        stream.SetPosition(0);
        T1BDriverCard card;
        card.LoadImage(stream);
        ASSERT_TRUE(card.HasIdentification());
        EXPECT_EQ(card.CardNumberText(), index == 1 ? "SIM0000000000100" : "SIM0000000000200");
        EXPECT_EQ(card.SurnameText(), "SIMULATED");
        EXPECT_EQ(card.FirstNamesText(), "TEST DRIVER");
        EXPECT_EQ(card.IssuingNation(), 0x11);
        EXPECT_EQ(card.LastDownloadTime(), std::optional<std::uint32_t>(1705307400u));
        // Large enough to be stored as an archive.
        EXPECT_GE(image.size(), 50u);
    }
    EXPECT_EQ(Validate(MakeContainer({CardEntry(SyntheticCardImage(1)), CardViaVuEntry(SyntheticCardImage(2))})), 0);
}

TEST(VexaSimPackProgram, EntriesFollowTheCommandLineOrder)
{
    TempDir dir;
    const Bytes a{0x0A, 0x0A}, b{0x0B}, c{0x0C, 0x0C, 0x0C};
    const Bytes vu = MakeVuDownload(1, 0, {0x76, 0x03, 0x09});
    pellkit::test::WriteFileBytes(dir / "a", a);
    pellkit::test::WriteFileBytes(dir / "b", b);
    pellkit::test::WriteFileBytes(dir / "c", c);
    pellkit::test::WriteFileBytes(dir / "vu", vu);
    const std::string out = (dir / "out").string();

    const auto r = RunProgram("vexa-sim", {"pack", "--card", (dir / "a").string(), "--vu", (dir / "vu").string(),
                                           "--synthetic-card", "--card-via-vu", (dir / "c").string(), "--card",
                                           (dir / "b").string(), "--synthetic-card", "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(pellkit::test::ReadFileBytes(out),
              MakeContainer({CardEntry(a), VuEntry(vu), CardEntry(SyntheticCardImage(1)), CardViaVuEntry(c), CardEntry(b),
                             CardEntry(SyntheticCardImage(2))}));
}

TEST(VexaSimPackProgram, BadInputsFailWithoutWritingOutput)
{
    TempDir dir;
    Bytes shortVu = MakeVuDownload(2, 3);
    shortVu.resize(700);
    pellkit::test::WriteFileBytes(dir / "short-vu", shortVu);
    const std::string out = (dir / "out").string();
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    } cases[] = {
        {{"pack", "--vu", (dir / "short-vu").string(), "-o", out}, 1, "short-vu: VU download of 700 bytes is too short"},
        {{"pack", "--card", (dir / "missing").string(), "-o", out}, 1, "cannot read"},
        {{"pack", "-o", out}, 2, "nothing to pack"},
        {{"pack", "--synthetic-card"}, 2, "needs -o OUT"},
        {{"pack", "--cards", "x", "-o", out}, 2, "Unknown option 'cards'"},
    };
    for (const auto& c : cases) {
        const auto r = RunProgram("vexa-sim", c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.message;
    }
}

TEST(VexaSimPackProgram, RealDownloadsComeBackPartByPart)
{
    PELLKIT_REQUIRE_SAMPLE(card2023, "card-es-2023.ddd");
    PELLKIT_REQUIRE_SAMPLE(card2007, "card-es-2007.ddd");
    PELLKIT_REQUIRE_SAMPLE(vuLocks, "vu-de-locks.ddd");
    PELLKIT_REQUIRE_SAMPLE(vuActivities, "vu-de-activities.ddd");
    const auto samples = pellkit::test::SamplesDir();
    TempDir dir;
    const std::string out = (dir / "data.bin").string();
    const auto r = RunProgram("vexa-sim", {"pack", "--card", (samples / "card-es-2023.ddd").string(), "--vu",
                                           (samples / "vu-de-locks.ddd").string(), "--card-via-vu",
                                           (samples / "card-es-2007.ddd").string(), "--vu",
                                           (samples / "vu-de-activities.ddd").string(), "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Bytes packed = pellkit::test::ReadFileBytes(out);
    const auto entries = Walk(packed);
    ASSERT_EQ(entries.size(), 4u);

    ASSERT_EQ(entries[0].size(), 1u);
    EXPECT_EQ(entries[0][0].first, 0xA7);
    EXPECT_TRUE(entries[0][0].second == card2023);

    ASSERT_EQ(entries[2].size(), 1u);
    EXPECT_EQ(entries[2][0].first, 0xA6);
    Bytes via{0x76, 0x06};
    via.insert(via.end(), card2007.begin(), card2007.end());
    EXPECT_TRUE(entries[2][0].second == via);

    // Overviews of 910 and 719 bytes after their 76 01.
    const struct {
        const std::vector<std::pair<std::uint8_t, Bytes>>& parts;
        const std::vector<std::uint8_t>& file;
        std::size_t overview;
    } vus[] = {{entries[1], vuLocks, 912}, {entries[3], vuActivities, 721}};
    for (const auto& v : vus) {
        ASSERT_EQ(v.parts.size(), 2u);
        EXPECT_EQ(v.parts[0].first, 0xA1);
        EXPECT_EQ(v.parts[0].second.size(), v.overview);
        EXPECT_EQ(v.parts[1].first, 0xA2);
        Bytes joined = v.parts[0].second;
        joined.insert(joined.end(), v.parts[1].second.begin(), v.parts[1].second.end());
        EXPECT_TRUE(joined == v.file);
    }
    EXPECT_EQ(Validate(packed), 0);
}
