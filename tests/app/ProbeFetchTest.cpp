// pellkit-cli probe and fetch over a real pty against vexa-sim: what reaches
// the file, what the Vexa is told, and how each fault of the line ends.

#include "CliStatus.h"
#include "ContainerBuilder.h"
#include "VexaSim.h"

#include <gtest/gtest.h>

#include <algorithm>

using pellkit::test::CardEntry;
using pellkit::test::CardViaVuEntry;
using pellkit::test::MakeContainer;
using pellkit::test::RunCli;
using pellkit::test::RunResult;
using pellkit::test::TempDir;
using pellkit::test::SyntheticCardImage;
using pellkit::test::TEntryParts;
using pellkit::test::VexaSim;
using pellkit::test::VuEntry;
using namespace std::chrono_literals;

namespace {

using Strings = std::vector<std::string>;

// A data file of made-up cards, written into dir.
std::string SyntheticData(const TempDir& dir, int cards, const std::string& name = "data.bin")
{
    std::vector<TEntryParts> entries;
    for (int i = 1; i <= cards; ++i)
        entries.push_back(CardEntry(SyntheticCardImage(i)));
    const std::string path = (dir / name).string();
    pellkit::test::WriteFileBytes(path, MakeContainer(entries));
    return path;
}

// 80h 01, the blocks until the end status, 84h: nothing else.
void ExpectKeptDownload(const VexaSim& sim, std::size_t dataSize, std::size_t block)
{
    Strings want{"80"};
    want.insert(want.end(), (dataSize + block - 1) / block + 1, "81");
    want.push_back("84");
    EXPECT_EQ(sim.Requests(), want);
    for (const QJsonObject& o : sim.Journal()) {
        if (o.value("dir") == "rx" && o.value("cmd") == "80") {
            EXPECT_EQ(o.value("data").toString(), "01");
        }
    }
    const Strings events = sim.Events();
    EXPECT_NE(std::find(events.begin(), events.end(), "kept"), events.end());
    EXPECT_EQ(std::find(events.begin(), events.end(), "deleted"), events.end());
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

} // namespace

TEST(ProbeFetch, ProbePrintsTheTwoValues)
{
    TempDir dir;
    VexaSim sim({"--data", SyntheticData(dir, 1), "--values", "0x1234,43981"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    const RunResult r = RunCli({"probe", "--port", sim.Port()}, 30s);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Vexa answered: 4660, 43981\n");
    // The handshake's settings mode is ended again.
    EXPECT_EQ(sim.Requests(), (Strings{"70", "72"}));
}

// Without --port, the port chosen in the window (the setting Vexa/Port).
TEST(ProbeFetch, WithoutPortThePortChosenInTheWindowIsUsed)
{
    TempDir dir;
    VexaSim sim({"--data", SyntheticData(dir, 1)});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    for (const bool chosen : {false, true}) {
        SCOPED_TRACE(chosen);
        TempDir home;
        std::filesystem::create_directories(home / "config/Morvane");
        pellkit::test::WriteFileBytes(home / "config/Morvane/Pellkit.conf", {});
        if (chosen) {
            const std::string ini = "[Vexa]\nPort=" + sim.Port() + "\n";
            pellkit::test::WriteFileBytes(home / "config/Morvane/Pellkit.conf",
                                          std::vector<std::uint8_t>(ini.begin(), ini.end()));
        }
        const RunResult r = RunCli({"probe"}, 30s, home.Path());
        EXPECT_EQ(r.exitCode, chosen ? 0 : 2) << r.err;
        EXPECT_EQ(Has(r.err, "--port is required"), !chosen) << r.err;
    }
    EXPECT_EQ(sim.Requests(), (Strings{"70", "72"}));
}

TEST(ProbeFetch, FetchCopiesTheDataFileExactlyAndKeepsIt)
{
    TempDir dir;
    const std::string data = SyntheticData(dir, 3);
    const auto bytes = pellkit::test::ReadFileBytes(data);
    // A block size that does not divide the file, paced like the real line.
    VexaSim sim({"--data", data, "--block", "100", "--bps", "5760"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    const std::string out = (dir / "copy.bin").string();
    const RunResult r = RunCli({"fetch", "--port", sim.Port(), "-o", out}, 60s);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "Fetched " + std::to_string(bytes.size()) + " bytes")) << r.out;
    EXPECT_TRUE(pellkit::test::ReadFileBytes(out) == bytes);
    ExpectKeptDownload(sim, bytes.size(), 100);
}

TEST(ProbeFetch, FetchReplacesAFileOnlyWhenTold)
{
    TempDir dir;
    const std::string data = SyntheticData(dir, 1);
    VexaSim sim({"--data", data});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    const std::string out = (dir / "copy.bin").string();
    pellkit::test::WriteFileBytes(out, {1, 2, 3});
    const RunResult refused = RunCli({"fetch", "--port", sim.Port(), "-o", out}, 60s);
    EXPECT_EQ(refused.exitCode, pellkit::test::cli::kStorage);
    EXPECT_TRUE(Has(refused.err, "--force")) << refused.err;
    EXPECT_TRUE(pellkit::test::ReadFileBytes(out) == (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(sim.Requests().empty()) << "the Vexa is not touched";

    const RunResult forced = RunCli({"fetch", "--port", sim.Port(), "-o", out, "--force"}, 60s);
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_TRUE(pellkit::test::ReadFileBytes(out) == pellkit::test::ReadFileBytes(data));
}

TEST(ProbeFetch, FetchCopiesRealDownloadsExactly)
{
    for (const char* name : {"card-es-2023.ddd", "vu-de-locks.ddd", "card-ru-national.ddd"}) {
        if (!pellkit::test::HaveSample(name))
            GTEST_SKIP() << "sample " << name << " not found in " << pellkit::test::SamplesDir() << " (set PELLKIT_SAMPLES)";
    }
    const auto samples = pellkit::test::SamplesDir();
    TempDir dir;
    const std::string data = (dir / "data.bin").string();
    pellkit::test::WriteFileBytes(
        data, MakeContainer({CardEntry(pellkit::test::ReadFileBytes(samples / "card-es-2023.ddd")),
                             VuEntry(pellkit::test::ReadFileBytes(samples / "vu-de-locks.ddd")),
                             CardViaVuEntry(pellkit::test::ReadFileBytes(samples / "card-ru-national.ddd"))}));
    const auto bytes = pellkit::test::ReadFileBytes(data);
    VexaSim sim({"--data", data});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    const std::string out = (dir / "copy.bin").string();
    const RunResult r = RunCli({"fetch", "--port", sim.Port(), "-o", out}, 120s);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(pellkit::test::ReadFileBytes(out) == bytes);
    ExpectKeptDownload(sim, bytes.size(), 512);
}

// Each fault ends the fetch with its code, writes no file and never deletes
// the Vexa's data. 84h follows every read that the Vexa answered, as in a
// download; a Vexa silent to the open command is told nothing more.
TEST(ProbeFetch, FaultsEndTheFetchWithTheirCode)
{
    const struct {
        const char* name;
        Strings simArgs;
        bool emptyData;
        const char* error;
        bool keeps;
    } cases[] = {
        {"no answer to the open command", {"--silent", "80"}, false, "error -101:", false},
        {"damaged block", {"--corrupt", "81:2"}, false, "error -3:", true},
        {"empty data file", {}, true, "error -109:", true},
        {"refused block", {"--status", "81=01:2"}, false, "error -108:", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string data = c.emptyData ? (dir / "empty.bin").string() : SyntheticData(dir, 2);
        if (c.emptyData)
            pellkit::test::WriteFileBytes(data, {});
        Strings args{"--data", data, "--block", "64"};
        args.insert(args.end(), c.simArgs.begin(), c.simArgs.end());
        VexaSim sim(args);
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        const std::string out = (dir / "copy.bin").string();
        const RunResult r = RunCli({"fetch", "--port", sim.Port(), "-o", out}, 60s);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, pellkit::test::cli::kDevice);
        EXPECT_TRUE(Has(r.err, c.error)) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
        const Strings sent = sim.Requests();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.front(), "80");
        EXPECT_EQ(std::count(sent.begin(), sent.end(), "83"), 0);
        EXPECT_EQ(sent.back() == "84", c.keeps);
    }
}

TEST(ProbeFetch, HangUpMidFileFailsAndTheLineCanBeOpenedAgain)
{
    TempDir dir;
    const std::string data = SyntheticData(dir, 3);
    VexaSim sim({"--data", data, "--block", "64", "--hangup", "81:3"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    const std::string out = (dir / "copy.bin").string();
    const RunResult r = RunCli({"fetch", "--port", sim.Port(), "-o", out}, 60s);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, pellkit::test::cli::kDevice);
    EXPECT_TRUE(Has(r.err, "error -1:")) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(sim.Requests(), (Strings{"80", "81", "81", "81"}));

    ASSERT_FALSE(sim.WaitForNextPort().empty());
    const RunResult again = RunCli({"fetch", "--port", sim.Port(), "-o", out}, 60s);
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(pellkit::test::ReadFileBytes(out) == pellkit::test::ReadFileBytes(data));
}
