// pellkit-cli download, configure and set-clock over a real pty against the
// simulated Vexa: what reaches the Vexa, what lands on disk, and that the
// Vexa is told to delete nothing that is not safe on disk.

#include "CardImageBuilder.h"
#include "CliStatus.h"
#include "ContainerBuilder.h"
#include "Samples.h"
#include "VexaSim.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

namespace fs = std::filesystem;
using namespace pellkit::test;

namespace {

constexpr int kEnglish = 3;

Bytes ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Name -> content of every file in a folder (none when it is missing).
std::map<std::string, Bytes> Files(const fs::path& dir)
{
    std::map<std::string, Bytes> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.is_regular_file())
            files[e.path().filename().string()] = ReadBytes(e.path());
    return files;
}

std::string Text(int resultCode) { return ResultText(resultCode).toStdString(); }

// pellkit-cli running in the background, for the cases that interrupt it or
// change the world under it.
class TBackgroundCli {
public:
    TBackgroundCli(const std::vector<std::string>& args, const fs::path& home)
    {
        child_ = detail::Spawn(BinDir() / "pellkit-cli", args,
                               {{"XDG_CONFIG_HOME", (home / "config").string()},
                                {"XDG_DATA_HOME", (home / "data").string()}});
    }
    ~TBackgroundCli()
    {
        if (child_.pid > 0 && !done_) {
            ::kill(child_.pid, SIGKILL);
            Finish();
        }
    }
    TBackgroundCli(const TBackgroundCli&) = delete;
    TBackgroundCli& operator=(const TBackgroundCli&) = delete;

    void Signal(int sig) { ::kill(child_.pid, sig); }

    RunResult Finish(std::chrono::milliseconds timeout = 60s)
    {
        RunResult r;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        bool outOpen = true, errOpen = true;
        while ((outOpen || errOpen) && std::chrono::steady_clock::now() < deadline) {
            pollfd fds[2] = {{outOpen ? child_.out : -1, POLLIN, 0}, {errOpen ? child_.err : -1, POLLIN, 0}};
            if (::poll(fds, 2, 100) <= 0)
                continue;
            if (outOpen && fds[0].revents)
                outOpen = detail::Drain(child_.out, r.out);
            if (errOpen && fds[1].revents)
                errOpen = detail::Drain(child_.err, r.err);
        }
        if (outOpen || errOpen) {
            r.timedOut = true;
            ::kill(child_.pid, SIGKILL);
        }
        ::close(child_.out);
        ::close(child_.err);
        r.exitCode = detail::WaitUntil(child_.pid, std::chrono::steady_clock::now() + 10s).value_or(-1);
        done_ = true;
        return r;
    }

private:
    detail::Child child_;
    bool done_ = false;
};

class DownloadCli : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(home_ / "config" / "Morvane");
        fs::create_directories(home_ / "data");
        fs::create_directories(Dest());
    }

    fs::path Dest() const { return home_ / "dest"; }
    fs::path SpoolDir() const { return home_ / "data" / "Morvane" / "Pellkit" / "spool"; }
    std::map<std::string, Bytes> Spool() const { return Files(SpoolDir()); }
    std::map<std::string, Bytes> Kept() const { return Files(home_ / "data" / "Morvane" / "Pellkit" / "downloads"); }

    fs::path WriteData(const Bytes& bytes, const std::string& name = "data.vexa")
    {
        WriteFileBytes(home_ / name, bytes);
        return home_ / name;
    }

    RunResult Cli(std::vector<std::string> args)
    {
        args.insert(args.end(), {"--lang", "3"});
        return RunCli(args, 90s, home_.Path());
    }

    RunResult Download(const std::string& port, std::vector<std::string> extra = {})
    {
        std::vector<std::string> args{"download", "--port", port, "--dest", Dest().string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return Cli(args);
    }

    // When the Vexa was told to delete, every entry's bytes are on disk: in
    // the destination, or the whole file in the spool or the downloads folder.
    void ExpectSafe(const VexaSim& sim, const Bytes& data, const std::vector<Bytes>& entries)
    {
        const auto r = sim.Requests();
        if (std::find(r.begin(), r.end(), "83") == r.end())
            return;
        bool spooled = false;
        for (const auto& [name, bytes] : Spool())
            spooled = spooled || bytes == data;
        for (const auto& [name, bytes] : Kept())
            spooled = spooled || bytes == data;
        if (spooled)
            return;
        const auto archives = Files(Dest());
        for (const Bytes& e : entries) {
            const bool stored = std::any_of(archives.begin(), archives.end(),
                                            [&](const auto& a) { return a.second == e; });
            EXPECT_TRUE(stored) << "an entry is neither archived nor spooled after 83h";
        }
    }

    TempDir home_;
};

// Two driver cards read directly; their names come from their own data.
struct TCards {
    Bytes first = MakeCardImage(TCardFields{}.Number("ES00000000000101").LastDownload(0x4B000000).PadTo(400));
    Bytes second = MakeCardImage(
        TCardFields{}.Number("ES00000000000202").Holder("OTHER", "NAME").LastDownload(0x4C000000).PadTo(400));
    Bytes data = MakeContainer({{{0xA7, first}}, {{0xA7, second}}});
    std::vector<Bytes> Entries() const { return {first, second}; }
};

TEST_F(DownloadCli, SamplesBecomeIdenticalArchivesInEveryFormat)
{
    PELLKIT_REQUIRE_SAMPLE(card, "card-es-2023.ddd");
    PELLKIT_REQUIRE_SAMPLE(vu, "vu-de-locks.ddd");
    const fs::path folder = SamplesDir();
    const fs::path data = home_ / "samples.vexa";
    const RunResult pack = RunProgram("vexa-sim", {"pack", "--card", (folder / "card-es-2023.ddd").string(), "--vu",
                                                   (folder / "vu-de-locks.ddd").string(), "-o", data.string()});
    ASSERT_EQ(0, pack.exitCode) << pack.err;

    const char* cardExt[] = {".DDD", ".C1B", ".TGD", ".ESM"};
    const char* vuExt[] = {".DDD", ".V1B", ".TGD", ".ESM"};
    for (int format = 0; format < 4; ++format) {
        SCOPED_TRACE(format);
        const bool del = format % 2 == 0;
        fs::remove_all(Dest());
        fs::create_directories(Dest());
        VexaSim sim({"--data", data.string(), "--block", "4096"});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        std::vector<std::string> extra{"--card-format", std::to_string(format), "--vu-format", std::to_string(format)};
        if (del)
            extra.push_back("--delete");
        const RunResult r = Download(sim.Port(), extra);
        ASSERT_EQ(0, r.exitCode) << r.err;
        sim.Stop();

        // What the Vexa was told: delete only when asked to.
        const auto requests = sim.Requests();
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(del ? "83" : "84", requests.back());
        EXPECT_EQ(1, std::count(requests.begin(), requests.end(), "80"));
        const auto events = sim.Events();
        EXPECT_NE(events.end(), std::find(events.begin(), events.end(), del ? "deleted" : "kept"));

        // Two archives, byte for byte the files that went in; names in the
        // family asked for (no personal field is printed on failure).
        const auto archives = Files(Dest());
        ASSERT_EQ(2u, archives.size());
        int cards = 0, vus = 0;
        for (const auto& [name, bytes] : archives) {
            if (bytes == card) {
                ++cards;
                EXPECT_TRUE(name.ends_with(cardExt[format])) << "card archive extension";
            } else if (bytes == vu) {
                ++vus;
                EXPECT_TRUE(name.ends_with(vuExt[format])) << "VU archive extension";
            }
        }
        EXPECT_EQ(1, cards);
        EXPECT_EQ(1, vus);
        EXPECT_TRUE(Spool().empty());

        // The same names as the storage pass gives a saved copy of the data.
        const fs::path again = home_ / "again";
        fs::remove_all(again);
        fs::create_directories(again);
        const RunResult store = Cli({"store", data.string(), "--dest", again.string(), "--card-format",
                                     std::to_string(format), "--vu-format", std::to_string(format)});
        ASSERT_EQ(0, store.exitCode);
        EXPECT_TRUE(Files(again) == archives) << "download and store named the archives differently";
    }
}

TEST_F(DownloadCli, DeleteGoesOutOnlyOnceTheDataIsSpooled)
{
    const TCards cards;
    const fs::path data = WriteData(cards.data);
    // The Vexa never answers 83h: the program is caught right after sending
    // it, and killed there, as by a crash or a pulled plug.
    VexaSim sim({"--data", data.string(), "--block", "128", "--silent", "83"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    {
        TBackgroundCli cli({"download", "--port", sim.Port(), "--dest", Dest().string(), "--delete", "--lang", "3"},
                           home_.Path());
        ASSERT_TRUE(sim.WaitForRequests("83", 1));
        const auto spool = Spool();
        ASSERT_EQ(1u, spool.size());
        EXPECT_EQ(cards.data, spool.begin()->second);
        cli.Signal(SIGKILL);
        cli.Finish();
    }
    EXPECT_TRUE(Files(Dest()).empty());

    // The next command of any kind says where the download is kept; store
    // takes it from there.
    const fs::path kept = SpoolDir() / Spool().begin()->first;
    const RunResult next = Cli({"store", kept.string(), "--dest", Dest().string()});
    EXPECT_EQ(0, next.exitCode) << next.err;
    EXPECT_NE(std::string::npos, next.err.find(kept.string())) << next.err;
    const auto archives = Files(Dest());
    ASSERT_EQ(2u, archives.size());
    ExpectSafe(sim, cards.data, cards.Entries());

    // Stored completely, the spooled copy is done with: no more warnings.
    EXPECT_TRUE(Spool().empty());
    const RunResult quiet = Cli({"store", data.string(), "--dest", Dest().string()});
    EXPECT_EQ(0, quiet.exitCode);
    EXPECT_EQ(std::string::npos, quiet.err.find(kept.string())) << quiet.err;
    EXPECT_TRUE(fs::exists(data)) << "a data file outside the spool is never removed";
}

TEST_F(DownloadCli, TheVexaKeepsItsDataUnlessAskedAndTheSpoolGoesWhenAllIsStored)
{
    const TCards cards;
    const fs::path data = WriteData(cards.data);
    for (const bool del : {false, true}) {
        SCOPED_TRACE(del);
        fs::remove_all(Dest());
        fs::create_directories(Dest());
        VexaSim sim({"--data", data.string(), "--block", "200"});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        const RunResult r = Download(sim.Port(), del ? std::vector<std::string>{"--delete"} : std::vector<std::string>{});
        EXPECT_EQ(0, r.exitCode) << r.err;
        sim.Stop();
        const auto requests = sim.Requests();
        EXPECT_EQ(del ? "83" : "84", requests.back());
        EXPECT_EQ(0, std::count(requests.begin(), requests.end(), del ? "84" : "83"));
        EXPECT_EQ(2u, Files(Dest()).size());
        EXPECT_TRUE(Spool().empty());
        // One line per archive written.
        EXPECT_EQ(2, std::count(r.out.begin(), r.out.end(), '\n')) << r.out;
    }
}

// The failures and interruptions of a download, each with what it told the
// Vexa, what it left on disk, and what it said.
TEST_F(DownloadCli, FailuresLeaveTheVexaItsDataAndSayWhy)
{
    const TCards cards;
    const Bytes malformed = [&] {
        Bytes b = cards.data;
        b[0] = 0xF1;
        return b;
    }();
    enum class Act { None, InterruptDuringBlocks, InterruptAtOpen, RemoveDestination };
    struct Case {
        const char* name;
        Bytes data;
        std::vector<std::string> sim;
        bool del;
        Act act;
        int result;             // 0: success
        const char* end;        // the last request: "83", "84", or "81" (nothing after the blocks)
        std::size_t archives;
        bool spooled;
        int status;             // the exit status
    };
    const std::vector<Case> cases = {
        {"empty data file", {}, {}, true, Act::None, -109, "84", 0, false, cli::kDevice},
        {"malformed container", malformed, {}, true, Act::None, -8, "81", 0, false, cli::kData},
        {"refused block", cards.data, {"--status", "81=80:3"}, true, Act::None, -108, "84", 0, false, cli::kDevice},
        {"damaged block", cards.data, {"--corrupt", "81:2"}, true, Act::None, -3, "84", 0, false, cli::kDevice},
        {"hang-up mid-file", cards.data, {"--hangup", "81:3"}, true, Act::None, -1, "81", 0, false, cli::kDevice},
        {"silent block mid-file", cards.data, {"--silent", "81:2"}, true, Act::None, -101, "84", 0, false,
         cli::kDevice},
        {"cancel during a block", cards.data, {"--bps", "800"}, true, Act::InterruptDuringBlocks, -110, "81", 0,
         false, cli::kCancelled},
        {"cancel while 80h waits", cards.data, {"--bps", "20"}, true, Act::InterruptAtOpen, -110, "80", 0, false,
         cli::kCancelled},
        {"destination removed during the download", cards.data, {"--bps", "3000"}, true, Act::RemoveDestination, 1,
         "83", 0, true, cli::kStorage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(SpoolDir());
        fs::remove_all(Dest());
        fs::create_directories(Dest());
        const fs::path data = WriteData(c.data);
        std::vector<std::string> serve{"--data", data.string(), "--block", "128"};
        serve.insert(serve.end(), c.sim.begin(), c.sim.end());
        VexaSim sim(serve);
        ASSERT_TRUE(sim.Ok()) << sim.Error();

        std::vector<std::string> args{"download", "--port", sim.Port(), "--dest", Dest().string(), "--lang", "3"};
        if (c.del)
            args.push_back("--delete");
        TBackgroundCli cli(args, home_.Path());
        switch (c.act) {
        case Act::None: break;
        case Act::InterruptDuringBlocks:
            ASSERT_TRUE(sim.WaitForRequests("81", 2));
            cli.Signal(SIGINT);
            break;
        case Act::InterruptAtOpen:
            ASSERT_TRUE(sim.WaitForRequests("80", 1));
            cli.Signal(SIGINT);
            break;
        case Act::RemoveDestination:
            ASSERT_TRUE(sim.WaitForRequests("81", 2));
            fs::remove_all(Dest());
            break;
        }
        const RunResult r = cli.Finish(90s);
        sim.Stop();
        ASSERT_FALSE(r.timedOut);

        EXPECT_EQ(c.status, r.exitCode) << r.err;
        if (c.result < 0) {
            const std::string line = "error " + std::to_string(c.result) + ": " + Text(c.result);
            EXPECT_NE(std::string::npos, r.err.find(line)) << r.err;
        }
        const auto requests = sim.Requests();
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(c.end, requests.back());
        if (std::string(c.end) != "83") {
            EXPECT_EQ(0, std::count(requests.begin(), requests.end(), "83"));
        }
        EXPECT_EQ(c.archives, Files(Dest()).size());
        EXPECT_EQ(c.spooled, !Spool().empty());
        if (c.spooled && !Spool().empty()) {
            EXPECT_NE(std::string::npos, r.err.find(Spool().begin()->first)) << r.err;
        }
        ExpectSafe(sim, c.data, cards.Entries());
    }
}

// Entries that give no archive are not lost when the Vexa deletes: the data
// file that holds them is kept in the downloads folder, and each is named.
TEST_F(DownloadCli, EntriesWithoutAnArchiveAreKeptWhenTheVexaDeletes)
{
    const Bytes card = MakeCardImage(TCardFields{}.LastDownload(0x4B000000).PadTo(400));
    const Bytes overview = MakeOverviewResponse(0x0D, "AB 123 CD", "XYZ12345678901234", 1706715720);
    const Bytes data = MakeContainer({{{0xA7, card}}, {{0xA1, overview}}, {{0xA0, {1, 2, 3}}}, {{0xA0, {4}}, {0xA1, overview}}});
    VexaSim sim({"--data", WriteData(data).string()});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    const RunResult r = Download(sim.Port(), {"--delete"});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("83", sim.Requests().back());
    EXPECT_EQ(1u, Files(Dest()).size());
    const auto kept = Kept();
    ASSERT_EQ(1u, kept.size());
    EXPECT_EQ(data, kept.begin()->second);
    EXPECT_TRUE(Spool().empty());
    for (const std::string entry : {"Entry 2 ", "Entry 3 ", "Entry 4 "})
        EXPECT_NE(r.err.find(entry), std::string::npos) << entry << " is not named: " << r.err;
    EXPECT_NE(r.err.find(kept.begin()->first), std::string::npos) << "where the bytes are is said: " << r.err;
}

// However the end command fails, the checked data is stored and the user is
// told the Vexa did not confirm it.
TEST_F(DownloadCli, AnEndCommandTheVexaDoesNotConfirmStillStoresTheData)
{
    const TCards cards;
    const fs::path data = WriteData(cards.data);
    const char* faults[][2] = {{"--silent", ""}, {"--corrupt", ""}, {"--status", "=01"}, {"--hangup", ""}};
    for (const bool del : {false, true}) {
        for (const auto& fault : faults) {
            const std::string end = del ? "83" : "84";
            SCOPED_TRACE(std::string(fault[0]) + (del ? " after 83h" : " after 84h"));
            fs::remove_all(Dest());
            fs::create_directories(Dest());
            fs::remove_all(home_ / "data");
            VexaSim sim({"--data", data.string(), fault[0], end + fault[1]});
            ASSERT_TRUE(sim.Ok()) << sim.Error();
            const RunResult r = Download(sim.Port(), del ? std::vector<std::string>{"--delete"} : std::vector<std::string>{});
            EXPECT_EQ(0, r.exitCode) << r.err;
            EXPECT_EQ(end, sim.Requests().back());
            EXPECT_EQ(2u, Files(Dest()).size());
            const QString said = MessageTextIn(kEnglish, del ? msg::DeleteNotConfirmed : msg::KeepNotConfirmed);
            EXPECT_NE(r.err.find(said.toStdString()), std::string::npos) << r.err;
            EXPECT_EQ(del ? 1u : 0u, Kept().size());
            ExpectSafe(sim, cards.data, cards.Entries());
        }
    }
}

// A card whose activity ring cannot be read: the rest is stored, the card
// is named, and the Vexa deletes only when asked to, after a second read.
TEST_F(DownloadCli, AnUnreadableEntryHoldsBackNothingElse)
{
    ApplicationCounts counts;
    counts.activityStructureLength = 100;
    const Bytes damaged = pellkit::test::MakeCardImage()
                              .AddApplicationIdentification(counts)
                              .AddIdentification(0x0F, "ES00000000000909", "DAMAGED", "RING")
                              .AddDriverActivity(0, 0, Bytes(60, 0))
                              .Image();
    const TCards cards;
    const Bytes data = MakeContainer({{{0xA7, cards.first}}, {{0xA7, damaged}}, {{0xA7, cards.second}}});
    const fs::path file = WriteData(data);
    {
        VexaSim sim({"--data", file.string()});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        const RunResult r = Download(sim.Port(), {"--delete"});
        EXPECT_EQ(cli::kData, r.exitCode);
        const auto requests = sim.Requests();
        EXPECT_EQ(0, std::count(requests.begin(), requests.end(), "83"));
        EXPECT_EQ(2u, Files(Dest()).size());
        EXPECT_NE(r.err.find("Entry 2 "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--force-delete"), std::string::npos) << r.err;
        ASSERT_EQ(1u, Kept().size());
        EXPECT_EQ(data, Kept().begin()->second);
    }
    {
        VexaSim sim({"--data", file.string()});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        const RunResult r = Download(sim.Port(), {"--force-delete"});
        EXPECT_EQ(cli::kData, r.exitCode) << "the unreadable entry is still not archived";
        // Read twice: the second time to match it against the kept copy.
        const auto requests = sim.Requests();
        EXPECT_EQ(2, std::count(requests.begin(), requests.end(), "80"));
        EXPECT_EQ("83", requests.back());
        EXPECT_EQ(2u, Files(Dest()).size()) << "nothing new is written the second time";
        EXPECT_EQ(1u, Kept().size()) << "the same data file is not kept twice";
        EXPECT_NE(r.err.find(MessageTextIn(kEnglish, msg::DeletedAnyway).section('%', 0, 0).toStdString()),
                  std::string::npos)
            << r.err;
    }
}

TEST_F(DownloadCli, OtherPortSevenIsTheOnlyOneTried)
{
    const TCards cards;
    const fs::path data = WriteData(cards.data);
    VexaSim sim({"--data", data.string(), "--block", "256"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    std::ofstream(home_ / "config" / "Morvane" / "Pellkit.conf") << "[Ports]\nCOM7=" << sim.Port() << "\n";
    const RunResult r = Download("COM7");
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(2u, Files(Dest()).size());
    sim.Stop();
    const auto requests = sim.Requests();
    EXPECT_EQ(1, std::count(requests.begin(), requests.end(), "80"));
    EXPECT_EQ("84", requests.back());
}

TEST_F(DownloadCli, DestinationThatCannotBeWrittenStopsBeforeTheVexa)
{
    const TCards cards;
    VexaSim sim({"--data", WriteData(cards.data).string()});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    const RunResult r = Cli({"download", "--port", sim.Port(), "--dest", (home_ / "missing").string()});
    EXPECT_EQ(cli::kStorage, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find(MessageTextIn(kEnglish, 747).toStdString())) << r.err;
    sim.Stop();
    EXPECT_TRUE(sim.Requests().empty());
}

// Settings and clock payloads as the Vexa's journal records them.
TEST_F(DownloadCli, SettingsAndClockPayloads)
{
    VexaSim sim({"--data", WriteData({}).string()});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    const RunResult configure =
        Cli({"configure", "--port", sim.Port(), "--mode", "255", "--vexa-language", "none", "--speed", "on"});
    EXPECT_EQ(0, configure.exitCode) << configure.err;
    EXPECT_NE(std::string::npos, configure.err.find(MessageTextIn(kEnglish, 165).toStdString()));
    const RunResult clock =
        Cli({"set-clock", "--port", sim.Port(), "--at", "2008-03-15 14:30:59", "--device-clock", "on"});
    EXPECT_EQ(0, clock.exitCode) << clock.err;
    // Values not given come from what configure saved, and each is shown
    // with where it came from before it goes out.
    const RunResult again = Cli({"configure", "--port", sim.Port(), "--activities", "off"});
    EXPECT_EQ(0, again.exitCode) << again.err;
    for (const char* line : {"mode              last 255 days                 saved",
                             "activities        off                           given"})
        EXPECT_NE(std::string::npos, again.err.find(line)) << line << " in:\n" << again.err;
    EXPECT_NE(std::string::npos, configure.err.find("technical data    off                           default"))
        << configure.err;
    sim.Stop();

    std::vector<std::string> rx;
    for (const QJsonObject& o : sim.Journal())
        if (o.value("dir").toString() == "rx" && o.contains("cmd"))
            rx.push_back(o.value("cmd").toString().toStdString() + ":" + o.value("data").toString().toStdString());
    EXPECT_EQ((std::vector<std::string>{"70:", "71:FFFF01010201030104010500", "72:", "67:", "71:0F03080E1E01", "72:",
                                        "70:", "71:FFFF01010200030104010500", "72:"}),
              rx);

    std::ifstream conf(home_ / "config" / "Morvane" / "Pellkit.conf");
    const std::string saved((std::istreambuf_iterator<char>(conf)), std::istreambuf_iterator<char>());
    for (const char* line : {"Mode=255", "VexaLanguage=-1", "Speed=1", "Activity=0", "useRealtimeClock=1"})
        EXPECT_NE(std::string::npos, saved.find(line)) << line;
}

// --json: one document on stdout, the same in every language.
TEST_F(DownloadCli, JsonDocumentsOfTheVexaCommands)
{
    const auto json = [](const RunResult& r) {
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error).object();
        EXPECT_EQ(QJsonParseError::NoError, error.error) << r.out;
        return o;
    };
    const TCards cards;
    VexaSim sim({"--data", WriteData(cards.data).string()});
    ASSERT_TRUE(sim.Ok()) << sim.Error();

    const QJsonObject probe = json(Cli({"probe", "--port", sim.Port(), "--json"}));
    EXPECT_EQ("pellkit-probe", probe["format"].toString());
    EXPECT_TRUE(probe["answered"].toBool());
    EXPECT_EQ(2, probe["values"].toArray().size());

    const RunResult configureRun = Cli({"configure", "--port", sim.Port(), "--mode", "total", "--json"});
    EXPECT_EQ(cli::kOk, configureRun.exitCode) << configureRun.err;
    const QJsonObject configure = json(configureRun);
    EXPECT_EQ("total", configure["settings"]["mode"].toString());
    EXPECT_TRUE(configure["sent"].toBool());

    const QJsonObject clock = json(Cli({"set-clock", "--port", sim.Port(), "--at", "2024-02-29 23:59", "--json"}));
    EXPECT_EQ("2024-02-29T23:59:00", clock["dateTime"].toString());
    EXPECT_TRUE(clock["set"].toBool());

    const RunResult run = Download(sim.Port(), {"--delete", "--json", "--lang", "5"});
    EXPECT_EQ(cli::kOk, run.exitCode) << run.err;
    const QJsonObject download = json(run);
    EXPECT_EQ("pellkit-download", download["format"].toString());
    EXPECT_TRUE(download["complete"].toBool());
    EXPECT_EQ("83h", download["endCommand"].toString());
    EXPECT_TRUE(download["vexaDeleted"].toBool());
    const QJsonArray archives = download["archives"].toArray();
    ASSERT_EQ(2, archives.size());
    for (const auto& value : archives) {
        const QJsonObject archive = value.toObject();
        EXPECT_EQ("written", archive["outcome"].toString());
        EXPECT_TRUE(fs::exists(Dest() / archive["fileName"].toString().toStdString()));
    }
    ASSERT_EQ(1, download["kept"].toArray().size());
    EXPECT_EQ("downloads", download["kept"][0]["in"].toString());
    sim.Stop();

    VexaSim empty({"--data", WriteData({}).string()});
    ASSERT_TRUE(empty.Ok()) << empty.Error();
    const RunResult failed = Download(empty.Port(), {"--json"});
    EXPECT_EQ(cli::kDevice, failed.exitCode);
    const QJsonObject nothing = json(failed);
    EXPECT_EQ(-109, nothing["error"]["code"].toInt());
    EXPECT_EQ(cli::kDevice, nothing["exitStatus"].toInt());
    EXPECT_TRUE(nothing["archives"].toArray().isEmpty());
}

TEST_F(DownloadCli, DeviceFlowFailuresAreReported)
{
    VexaSim sim({"--data", WriteData({}).string(), "--status", "71=71"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    const RunResult r = Cli({"configure", "--port", sim.Port()});
    EXPECT_EQ(cli::kDevice, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find(MessageTextIn(kEnglish, 166).toStdString())) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("error -103: " + Text(-103))) << r.err;
    // A failed clock write is still followed by the end of settings.
    const RunResult clock = Cli({"set-clock", "--port", sim.Port(), "--device-clock", "off"});
    EXPECT_EQ(cli::kDevice, clock.exitCode);
    sim.Stop();
    const auto requests = sim.Requests();
    EXPECT_EQ((std::vector<std::string>{"70", "71", "67", "71", "72"}), requests);
}

} // namespace
