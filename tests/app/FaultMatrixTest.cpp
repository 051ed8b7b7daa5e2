// Every line fault at every phase of a download, with the Vexa keeping or
// deleting its data, over a real pty against vexa-sim; the same for the
// settings and clock flows; and the disk failing under the storage pass.
// Each case checks the result and its text, what reached the Vexa, that the
// port is released, and that nothing the Vexa was told to delete is missing
// from disk.

#include "CliStatus.h"
#include "FaultHarness.h"
#include "uDeviceFlows.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cstdio>

#include <sys/resource.h>

using namespace pellkit::test;
using namespace std::chrono_literals;

namespace {

// Long enough for a loaded machine to answer, short enough that a silent
// Vexa costs a second rather than ten.
constexpr auto kExchangeTimeout = 1000ms;
constexpr std::size_t kBlock = 512;
// The answer's header and nothing of its body.
constexpr int kStallBytes = 5;

// A fresh link with the shorter response limit; all back to the start after.
class TTimeout {
public:
    TTimeout() { SetExchangeTimeout(kExchangeTimeout); }

private:
    TFreshLink fresh_;
};

int DataBlocks() { return static_cast<int>((FaultData().data.size() + kBlock - 1) / kBlock); }

std::string Hex(int b)
{
    char s[3];
    std::snprintf(s, sizeof s, "%02X", b & 0xFF);
    return s;
}

enum class Phase { Open, FirstBlock, MiddleBlock, LastBlock, EndOfFile, EndCommand };
enum class Fault { Silent, Corrupt, Stall, Hangup, Status, Cancel, Noise, Endless, Empty };
// What follows the faulted request: nothing, 84h whatever the user chose, or
// the whole download up to the end command the user chose.
enum class Then { Nothing, Keep, Finish };

const char* PhaseName(Phase p)
{
    switch (p) {
    case Phase::Open: return "open";
    case Phase::FirstBlock: return "firstblock";
    case Phase::MiddleBlock: return "middleblock";
    case Phase::LastBlock: return "lastblock";
    case Phase::EndOfFile: return "endoffile";
    case Phase::EndCommand: return "endcommand";
    }
    return "?";
}

std::string FaultName(Fault f, int status)
{
    switch (f) {
    case Fault::Silent: return "silent";
    case Fault::Corrupt: return "corrupt";
    case Fault::Stall: return "stall";
    case Fault::Hangup: return "hangup";
    case Fault::Status: return "status" + Hex(status);
    case Fault::Cancel: return "cancel";
    case Fault::Noise: return "noise";
    case Fault::Endless: return "endless";
    case Fault::Empty: return "empty";
    }
    return "?";
}

struct TRow {
    Phase phase;
    Fault fault;
    int status;
    int result;
    Then then;
};

// clang-format off
const TRow kRows[] = {
    {Phase::Open, Fault::Silent, 0, kResultBadFrame, Then::Nothing},
    {Phase::Open, Fault::Corrupt, 0, kResultBadChecksum, Then::Nothing},
    {Phase::Open, Fault::Stall, 0, kResultBadFrame, Then::Nothing},
    {Phase::Open, Fault::Hangup, 0, kResultBadFrame, Then::Nothing},
    {Phase::Open, Fault::Status, 0x80, kResultOpenRefused80, Then::Nothing},
    {Phase::Open, Fault::Status, 0x81, kResultOpenRefused81, Then::Nothing},
    {Phase::Open, Fault::Status, 0x82, kResultOk, Then::Finish},
    {Phase::Open, Fault::Cancel, 0, kResultCancelled, Then::Nothing},

    {Phase::FirstBlock, Fault::Silent, 0, kResultNoAnswer, Then::Keep},
    {Phase::FirstBlock, Fault::Corrupt, 0, kResultBadChecksum, Then::Keep},
    {Phase::FirstBlock, Fault::Stall, 0, kResultNoAnswer, Then::Keep},
    {Phase::FirstBlock, Fault::Hangup, 0, kResultBadFrame, Then::Nothing},
    {Phase::FirstBlock, Fault::Status, 0x80, kResultBlockRefused, Then::Keep},
    {Phase::FirstBlock, Fault::Status, 0x83, kResultEmptyFile, Then::Keep},
    {Phase::FirstBlock, Fault::Cancel, 0, kResultCancelled, Then::Nothing},

    // An end status in the middle leaves a cut container: the check refuses
    // it and the Vexa is told nothing.
    {Phase::MiddleBlock, Fault::Silent, 0, kResultNoAnswer, Then::Keep},
    {Phase::MiddleBlock, Fault::Corrupt, 0, kResultBadChecksum, Then::Keep},
    {Phase::MiddleBlock, Fault::Stall, 0, kResultNoAnswer, Then::Keep},
    {Phase::MiddleBlock, Fault::Hangup, 0, kResultBadFrame, Then::Nothing},
    {Phase::MiddleBlock, Fault::Status, 0x01, kResultBlockRefused, Then::Keep},
    {Phase::MiddleBlock, Fault::Status, 0x83, kResultBadDataFile, Then::Nothing},
    {Phase::MiddleBlock, Fault::Cancel, 0, kResultCancelled, Then::Nothing},

    {Phase::LastBlock, Fault::Silent, 0, kResultNoAnswer, Then::Keep},
    {Phase::LastBlock, Fault::Corrupt, 0, kResultBadChecksum, Then::Keep},
    {Phase::LastBlock, Fault::Stall, 0, kResultNoAnswer, Then::Keep},
    {Phase::LastBlock, Fault::Hangup, 0, kResultBadFrame, Then::Nothing},
    {Phase::LastBlock, Fault::Status, 0xFF, kResultBlockRefused, Then::Keep},
    {Phase::LastBlock, Fault::Status, 0x83, kResultBadDataFile, Then::Nothing},
    {Phase::LastBlock, Fault::Cancel, 0, kResultCancelled, Then::Nothing},

    // The 81h after the last block, answered with the end status.
    {Phase::EndOfFile, Fault::Silent, 0, kResultNoAnswer, Then::Keep},
    {Phase::EndOfFile, Fault::Corrupt, 0, kResultBadChecksum, Then::Keep},
    {Phase::EndOfFile, Fault::Stall, 0, kResultNoAnswer, Then::Keep},
    {Phase::EndOfFile, Fault::Hangup, 0, kResultBadFrame, Then::Nothing},
    {Phase::EndOfFile, Fault::Status, 0x80, kResultBlockRefused, Then::Keep},
    {Phase::EndOfFile, Fault::Cancel, 0, kResultCancelled, Then::Nothing},

    // A Vexa whose data file does not end where it said, and one that sends
    // blocks without data: each is cut off, and keeps its data.
    {Phase::EndOfFile, Fault::Endless, 0, kResultDataFileTooLong, Then::Keep},
    {Phase::FirstBlock, Fault::Empty, 0, kResultEmptyBlocks, Then::Keep},

    // 83h or 84h, as the user chose. A cancel that late no longer counts; a
    // fault of the end command leaves the data stored all the same.
    {Phase::EndCommand, Fault::Silent, 0, kResultNoAnswer, Then::Finish},
    {Phase::EndCommand, Fault::Corrupt, 0, kResultBadChecksum, Then::Finish},
    {Phase::EndCommand, Fault::Stall, 0, kResultNoAnswer, Then::Finish},
    {Phase::EndCommand, Fault::Hangup, 0, kResultBadFrame, Then::Finish},
    {Phase::EndCommand, Fault::Status, 0x01, kResultBlockRefused, Then::Finish},
    {Phase::EndCommand, Fault::Status, 0x80, kResultBlockRefused, Then::Finish},
    {Phase::EndCommand, Fault::Cancel, 0, kResultOk, Then::Finish},

    // Junk before every answer.
    {Phase::Open, Fault::Noise, 0, kResultOk, Then::Finish},
};
// clang-format on

struct TCase {
    TRow row;
    bool keep;
};

std::vector<TCase> Cases()
{
    std::vector<TCase> cases;
    for (const bool keep : {true, false})
        for (const TRow& r : kRows)
            cases.push_back({r, keep});
    return cases;
}

std::string CaseName(const ::testing::TestParamInfo<TCase>& info)
{
    const TCase& c = info.param;
    std::string name = std::string(c.keep ? "keep_" : "delete_");
    if (c.row.fault != Fault::Noise)
        name += std::string(PhaseName(c.row.phase)) + "_";
    return name + FaultName(c.row.fault, c.row.status);
}

// The request the phase names: its command and its number among that command's requests.
std::pair<int, int> Target(Phase p, bool keep)
{
    const int n = DataBlocks();
    switch (p) {
    case Phase::Open: return {0x80, 1};
    case Phase::FirstBlock: return {0x81, 1};
    case Phase::MiddleBlock: return {0x81, 2};
    case Phase::LastBlock: return {0x81, n};
    case Phase::EndOfFile: return {0x81, n + 1};
    case Phase::EndCommand: return {keep ? 0x84 : 0x83, 1};
    }
    return {0, 0};
}

std::vector<std::string> SimFault(const TCase& c)
{
    const auto [command, nth] = Target(c.row.phase, c.keep);
    const std::string at = Hex(command) + ":" + std::to_string(nth);
    switch (c.row.fault) {
    case Fault::Silent: return {"--silent", at};
    case Fault::Corrupt: return {"--corrupt", at};
    case Fault::Stall: return {"--stall", at + ":" + std::to_string(kStallBytes)};
    case Fault::Hangup: return {"--hangup", at};
    case Fault::Status: return {"--status", Hex(command) + "=" + Hex(c.row.status) + ":" + std::to_string(nth)};
    case Fault::Noise: return {"--noise"};
    case Fault::Cancel: return {};
    case Fault::Endless: return {"--endless"};
    case Fault::Empty: return {"--empty", "81"};
    }
    return {};
}

std::vector<std::string> ExpectedRequests(const TCase& c)
{
    const int n = DataBlocks();
    std::vector<std::string> all{"80"};
    if (c.row.fault == Fault::Empty) {
        all.insert(all.end(), static_cast<std::size_t>(kMaxEmptyBlocksInARow), "81");
        all.push_back("84");
        return all;
    }
    all.insert(all.end(), static_cast<std::size_t>(n + 1), "81");
    const std::size_t faulted = [&]() -> std::size_t {
        switch (c.row.phase) {
        case Phase::Open: return 1;
        case Phase::FirstBlock: return 2;
        case Phase::MiddleBlock: return 3;
        case Phase::LastBlock: return static_cast<std::size_t>(n) + 1;
        case Phase::EndOfFile: return static_cast<std::size_t>(n) + 2;
        case Phase::EndCommand: return all.size();
        }
        return 0;
    }();
    switch (c.row.then) {
    case Then::Nothing: all.resize(faulted); break;
    case Then::Keep: all.resize(faulted); all.push_back("84"); break;
    case Then::Finish: all.push_back(c.keep ? "84" : "83"); break;
    }
    return all;
}

class DownloadFaults : public ::testing::TestWithParam<TCase> {
protected:
    void SetUp() override
    {
        FaultApp();
        ClearSpool();
        fs::create_directories(Dest());
    }
    void TearDown() override { ClearSpool(); }
    fs::path Dest() const { return dir_ / "dest"; }

    TempDir dir_;
    TTimeout timeout_;
};

TEST_P(DownloadFaults, ResultRequestsPortAndData)
{
    const TCase& c = GetParam();
    const TFaultData& d = FaultData();
    ASSERT_GE(DataBlocks(), 3) << "the data file must have a block between the first and the last";
    WriteFileBytes(dir_ / "data.vexa", d.data);
    std::vector<std::string> serve{"--data", (dir_ / "data.vexa").string(), "--block", std::to_string(kBlock)};
    const auto fault = SimFault(c);
    serve.insert(serve.end(), fault.begin(), fault.end());
    VexaSim sim(serve);
    ASSERT_TRUE(sim.Ok()) << sim.Error();

    TTapPort port(sim.Port());
    TDownloadSetup setup;
    setup.keepData = c.keep;
    setup.destination = Dest();
    if (c.row.fault == Fault::Cancel) {
        const auto [command, nth] = Target(c.row.phase, c.keep);
        setup.onWrite = [command, nth](TThreadDownload& w, std::uint8_t cmd, int n) {
            if (cmd == command && n == nth)
                w.Cancel();
        };
    }
    const TDownloadRun run = RunDownload(port, setup, d.data);
    ASSERT_TRUE(run.completed);

    EXPECT_EQ(c.row.result, run.result);
    EXPECT_TRUE(HasOwnText(run.result));
    EXPECT_EQ(ExpectedRequests(c), sim.Requests());

    std::string device = sim.Port();
    if (c.row.fault == Fault::Hangup) {
        device = sim.WaitForNextPort();
        ASSERT_FALSE(device.empty()) << "the simulator opened no new line after the hang-up";
        EXPECT_FALSE(run.portError.isEmpty()) << "a lost line is named";
    }
    EXPECT_TRUE(PortReleased(port, device));

    EXPECT_TRUE(run.spooledAtDelete) << "83h went out before the data was on disk";
    EXPECT_TRUE(DataSafe(run.sentDelete, Dest(), d));
    const auto archives = FilesIn(Dest());
    // Once the end command went out, the whole file was there and checked:
    // it is stored, whatever the Vexa answered.
    if (c.row.then == Then::Finish) {
        ASSERT_TRUE(run.stored);
        EXPECT_TRUE(run.stored->allSafe) << run.boxes.join('\n').toStdString();
        EXPECT_EQ(3u, archives.size());
        EXPECT_TRUE(DataSafe(true, Dest(), d));
        EXPECT_TRUE(SpoolLeftovers(SpoolDirectory()).isEmpty()) << "a stored download leaves its spool";
        // The Vexa was told it may delete: its data file is kept for good.
        EXPECT_EQ(!c.keep, DownloadsHold(d.data));
        EXPECT_EQ(run.result != kResultOk, run.endNotConfirmed) << "an unconfirmed end command is said";
    } else {
        EXPECT_TRUE(archives.empty()) << "a failed download stores nothing";
        EXPECT_TRUE(SpoolLeftovers(SpoolDirectory()).isEmpty());
        EXPECT_FALSE(DownloadsHold(d.data));
    }
}

INSTANTIATE_TEST_SUITE_P(FaultMatrix, DownloadFaults, ::testing::ValuesIn(Cases()), CaseName);

// Megabytes of junk right behind an answer: the download neither hangs nor
// keeps them, and whatever becomes of it, nothing is lost.
TEST(FaultMatrix, AFloodBehindAnAnswerIsNotKept)
{
    FaultApp();
    ClearSpool();
    const TFaultData& d = FaultData();
    TTimeout timeout;
    TempDir dir;
    const fs::path dest = dir / "dest";
    fs::create_directories(dest);
    WriteFileBytes(dir / "data.vexa", d.data);
    constexpr long kFlood = 32L << 20;
    VexaSim sim({"--data", (dir / "data.vexa").string(), "--block", std::to_string(kBlock), "--flood",
                 "81:2:" + std::to_string(kFlood)});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);

    TTapPort port(sim.Port());
    TDownloadSetup setup;
    setup.keepData = false;
    setup.destination = dest;
    const TDownloadRun run = RunDownload(port, setup, d.data);
    ASSERT_TRUE(run.completed);
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
#ifndef __SANITIZE_ADDRESS__
    // AddressSanitizer's quarantine keeps freed memory in the peak.
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, kFlood / 1024 / 2) << "KiB more at the peak";
#endif

    EXPECT_TRUE(HasOwnText(run.result));
    EXPECT_TRUE(run.spooledAtDelete);
    EXPECT_TRUE(DataSafe(run.sentDelete, dest, d));
    if (run.result != kResultOk) {
        EXPECT_TRUE(sim.WaitForRequests("84", 1)) << "the Vexa is told to keep its data";
        EXPECT_EQ("84", sim.Requests().back());
    }
    ClearSpool();
}

// ---- settings and clock ------------------------------------------------------

struct TFlowCase {
    const char* name;
    bool clock;
    std::vector<std::string> fault;  // vexa-sim options
    int result;
    std::vector<std::string> requests;
    bool hangup = false;
};

std::vector<TFlowCase> FlowCases()
{
    const std::vector<std::string> s70{"70"}, s71{"70", "71"}, s72{"70", "71", "72"};
    const std::vector<std::string> c67{"67"}, c71{"67", "71"}, c72{"67", "71", "72"};
    return {
        // Settings: 72h only after an accepted write; its own answer is not examined.
        {"settings_70_silent", false, {"--silent", "70"}, kResultNoAnswer, s70},
        {"settings_70_corrupt", false, {"--corrupt", "70"}, kResultBadChecksum, s70},
        {"settings_70_refused", false, {"--status", "70=01"}, kResultRefused, s70},
        {"settings_70_hangup", false, {"--hangup", "70"}, kResultBadFrame, s70, true},
        {"settings_71_silent", false, {"--silent", "71"}, kResultNoAnswer, s71},
        {"settings_71_corrupt", false, {"--corrupt", "71"}, kResultBadChecksum, s71},
        {"settings_71_status70", false, {"--status", "71=70"}, kResultRefused, s71},
        {"settings_71_status71", false, {"--status", "71=71"}, kResultRefused71, s71},
        {"settings_71_status72", false, {"--status", "71=72"}, kResultRefused72, s71},
        {"settings_71_status73", false, {"--status", "71=73"}, kResultRefused73, s71},
        {"settings_71_status74_accepted", false, {"--status", "71=74"}, kResultOk, s72},
        {"settings_71_hangup", false, {"--hangup", "71"}, kResultBadFrame, s71, true},
        {"settings_72_silent", false, {"--silent", "72"}, kResultOk, s72},
        {"settings_72_corrupt", false, {"--corrupt", "72"}, kResultOk, s72},
        {"settings_72_refused", false, {"--status", "72=01"}, kResultOk, s72},
        // Clock: 72h after the write whatever it gave, while the line is there.
        {"clock_67_silent", true, {"--silent", "67"}, kResultNoAnswer, c67},
        {"clock_67_corrupt", true, {"--corrupt", "67"}, kResultBadChecksum, c67},
        {"clock_67_refused", true, {"--status", "67=01"}, kResultRefused, c67},
        {"clock_67_hangup", true, {"--hangup", "67"}, kResultBadFrame, c67, true},
        {"clock_71_silent", true, {"--silent", "71"}, kResultNoAnswer, c72},
        {"clock_71_corrupt", true, {"--corrupt", "71"}, kResultBadChecksum, c72},
        {"clock_71_status70", true, {"--status", "71=70"}, kResultRefused, c72},
        {"clock_71_status71", true, {"--status", "71=71"}, kResultRefused71, c72},
        {"clock_71_status72", true, {"--status", "71=72"}, kResultRefused72, c72},
        {"clock_71_status73", true, {"--status", "71=73"}, kResultRefused73, c72},
        {"clock_71_status74", true, {"--status", "71=74"}, kResultCancelled, c72},
        {"clock_71_status75", true, {"--status", "71=75"}, kResultClockRefused75, c72},
        {"clock_71_statusFF_accepted", true, {"--status", "71=FF"}, kResultOk, c72},
        {"clock_71_hangup", true, {"--hangup", "71"}, kResultBadFrame, c71, true},
        {"clock_72_silent", true, {"--silent", "72"}, kResultNoAnswer, c72},
        {"clock_72_corrupt", true, {"--corrupt", "72"}, kResultBadChecksum, c72},
        {"clock_72_refused", true, {"--status", "72=01"}, kResultRefused, c72},
        {"clock_72_hangup", true, {"--hangup", "72"}, kResultBadFrame, c72, true},
    };
}

class FlowFaults : public ::testing::TestWithParam<TFlowCase> {
protected:
    void SetUp() override { FaultApp(); }
    TempDir dir_;
    TTimeout timeout_;
};

TEST_P(FlowFaults, ResultRequestsAndPort)
{
    const TFlowCase& c = GetParam();
    WriteFileBytes(dir_ / "data.vexa", FaultData().data);
    std::vector<std::string> serve{"--data", (dir_ / "data.vexa").string()};
    serve.insert(serve.end(), c.fault.begin(), c.fault.end());
    VexaSim sim(serve);
    ASSERT_TRUE(sim.Ok()) << sim.Error();

    TQtSerialPort port;
    const QString name = QString::fromStdString(sim.Port());
    const int result = c.clock ? SendClock(port, name, QDateTime(QDate(2008, 3, 15), QTime(14, 30)), true)
                               : SendSettings(port, name, TVexaSettings{});
    EXPECT_EQ(c.result, result);
    EXPECT_TRUE(HasOwnText(result));
    EXPECT_EQ(c.requests, sim.Requests());
    std::string device = sim.Port();
    if (c.hangup) {
        device = sim.WaitForNextPort();
        ASSERT_FALSE(device.empty());
    }
    EXPECT_TRUE(PortReleased(port, device));
}

std::string FlowName(const ::testing::TestParamInfo<TFlowCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(FaultMatrix, FlowFaults, ::testing::ValuesIn(FlowCases()), FlowName);

// ---- the disk under the storage pass -----------------------------------------

// The destination gives way after the Vexa has sent everything: nothing is
// reported as stored, nothing half-written is left, and the data the Vexa
// may have deleted stays in the spool.
TEST(FaultMatrix, DiskFailsUnderTheStoragePass)
{
    FaultApp();
    TFreshLink fresh;
    const TFaultData& d = FaultData();
    enum class Disk { Removed, FileInItsPlace, Full, FullAfterFirst };
    const std::pair<const char*, Disk> kinds[] = {
        {"destination removed during the download", Disk::Removed},
        {"a file where the destination was", Disk::FileInItsPlace},
        {"full disk", Disk::Full},
        {"disk full after the first archive", Disk::FullAfterFirst},
    };
    const Bytes stranger{'n', 'o', 't', ' ', 'a', ' ', 'd', 'i', 'r'};
    TTimeout timeout;
    for (const auto& [what, disk] : kinds) {
        for (const bool keep : {true, false}) {
            SCOPED_TRACE(std::string(what) + (keep ? ", kept" : ", deleted"));
            ClearSpool();
            TempDir dir;
            const fs::path dest = dir / "dest";
            fs::create_directories(dest);
            WriteFileBytes(dir / "data.vexa", d.data);
            VexaSim sim({"--data", (dir / "data.vexa").string(), "--block", std::to_string(kBlock)});
            ASSERT_TRUE(sim.Ok()) << sim.Error();

            TTapPort port(sim.Port());
            TDownloadSetup setup;
            setup.keepData = keep;
            setup.destination = dest;
            int writes = 0;
            if (disk == Disk::Removed || disk == Disk::FileInItsPlace) {
                // Pulled while the second block is on its way.
                setup.onWrite = [&, disk = disk](TThreadDownload&, std::uint8_t cmd, int n) {
                    if (cmd != 0x81 || n != 2)
                        return;
                    fs::remove_all(dest);
                    if (disk == Disk::FileInItsPlace)
                        WriteFileBytes(dest, stranger);
                };
            } else {
                const int room = disk == Disk::Full ? 0 : 1;
                setup.contentWriter = [&writes, room](QFileDevice& f, std::span<const std::uint8_t> bytes) {
                    const bool fits = writes++ < room;
                    const auto n = static_cast<qint64>(fits ? bytes.size() : bytes.size() / 2);
                    return f.write(reinterpret_cast<const char*>(bytes.data()), n) == n && fits;
                };
            }
            const TDownloadRun run = RunDownload(port, setup, d.data);
            ASSERT_TRUE(run.completed);
            EXPECT_EQ(kResultOk, run.result);
            EXPECT_EQ(keep ? "84" : "83", sim.Requests().back());
            EXPECT_TRUE(PortReleased(port, sim.Port()));

            ASSERT_TRUE(run.stored);
            EXPECT_FALSE(run.stored->allSafe);
            const int stored = disk == Disk::FullAfterFirst ? 1 : 0;
            EXPECT_EQ(3 - stored, run.stored->failed);
            EXPECT_EQ(stored, run.stored->written);
            ASSERT_EQ(3 - stored, run.boxes.size());
            for (const QString& box : run.boxes)
                EXPECT_TRUE(box.startsWith(MessageText(msg::ArchiveWriteFailed) + QLatin1Char(' ')))
                    << box.toStdString();
            switch (disk) {
            case Disk::Removed: EXPECT_FALSE(fs::exists(dest)); break;
            case Disk::FileInItsPlace: EXPECT_EQ(stranger, ReadFileBytes(dest)); break;
            case Disk::Full: EXPECT_TRUE(FilesIn(dest).empty()) << "a failed write leaves no file behind"; break;
            case Disk::FullAfterFirst: {
                const auto files = FilesIn(dest);
                ASSERT_EQ(1u, files.size()) << "a failed write leaves no file behind";
                EXPECT_EQ(d.card1, files.begin()->second);
                break;
            }
            }
            // The Vexa deleted: the spool is all there is, and it stays until every entry is stored.
            EXPECT_EQ(!keep, SpoolHolds(SpoolDirectory(), d.data));
            EXPECT_TRUE(DataSafe(run.sentDelete, dest, d));
            EXPECT_TRUE(run.spooledAtDelete);
        }
    }

    // A destination that takes no file stops the download before the Vexa is asked anything.
    TempDir dir;
    WriteFileBytes(dir / "data.vexa", d.data);
    VexaSim sim({"--data", (dir / "data.vexa").string()});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    TTapPort port(sim.Port());
    TDownloadSetup setup;
    setup.keepData = false;
    setup.destination = "/proc";
    EXPECT_TRUE(RunDownload(port, setup, d.data).destinationRefused);
    EXPECT_TRUE(sim.Requests().empty());
}

// A really full file system (a small tmpfs in a mount namespace of its own),
// through pellkit-cli: once for the destination alone, once with the spool
// on it too, when the Vexa must then keep its data.
TEST(FaultMatrix, FullFileSystem)
{
    FaultApp();
    TFreshLink fresh;
    const fs::path unshare = "/usr/bin/unshare";
    TempDir probe;
    fs::create_directories(probe / "mnt");
    const RunResult mounted = fs::exists(unshare)
                                  ? RunProgram(unshare.string(),
                                               {"-rm", "sh", "-c", "mount -t tmpfs -o size=64k tmpfs \"$0\"",
                                                (probe / "mnt").string()},
                                               30s)
                                  : RunResult{};
    if (mounted.exitCode != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here (needs unshare and user namespaces); "
                        "DiskFailsUnderTheStoragePass covers a full disk through the writer seam";

    // $0 the mount point, $1 the listing of what is left on it, $2 1 to put
    // the spool there too; the rest is the command.
    const std::string script =
        "mnt=$0; listing=$1; spool=$2; shift 2\n"
        "mount -t tmpfs -o size=64k tmpfs \"$mnt\" || exit 99\n"
        "cat /dev/zero > \"$mnt/filler\" 2>/dev/null\n"
        "if [ \"$spool\" = 1 ]; then export XDG_DATA_HOME=\"$mnt/data\"; fi\n"
        "\"$@\"; rc=$?\n"
        "ls -A \"$mnt\" > \"$listing\"\n"
        "exit $rc\n";
    const TFaultData& d = FaultData();
    for (const bool spoolOnFullDisk : {false, true}) {
        SCOPED_TRACE(spoolOnFullDisk ? "spool on the full disk too" : "destination full");
        TempDir home;
        const fs::path mnt = home / "mnt";
        fs::create_directories(mnt);
        WriteFileBytes(home / "data.vexa", d.data);
        VexaSim sim({"--data", (home / "data.vexa").string(), "--block", std::to_string(kBlock)});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        const RunResult r = RunProgram(
            unshare.string(),
            {"-rm", "sh", "-c", script, mnt.string(), (home / "listing").string(), spoolOnFullDisk ? "1" : "0",
             (BinDir() / "pellkit-cli").string(), "download", "--port", sim.Port(), "--dest", mnt.string(),
             "--delete", "--lang", "3"},
            90s, home.Path());
        ASSERT_FALSE(r.timedOut);
        ASSERT_NE(99, r.exitCode) << r.err;
        EXPECT_EQ(cli::kStorage, r.exitCode) << r.err;
        std::size_t failures = 0;
        const std::string failed = MessageText(msg::ArchiveWriteFailed).toStdString() + " ";
        for (auto at = r.err.find(failed); at != std::string::npos; at = r.err.find(failed, at + 1))
            ++failures;
        EXPECT_EQ(3u, failures) << r.err;
        const Bytes listing = ReadFileBytes(home / "listing");
        const std::string left(listing.begin(), listing.end());
        EXPECT_EQ(spoolOnFullDisk ? "data\nfiller\n" : "filler\n", left) << "nothing half-written is left";
        sim.Stop();
        const auto requests = sim.Requests();
        ASSERT_FALSE(requests.empty());
        const QString spoolDir = QString::fromStdString((home / "data" / "Morvane" / "Pellkit" / "spool").string());
        if (spoolOnFullDisk) {
            // No copy could be made: the Vexa keeps the only one.
            EXPECT_EQ("84", requests.back());
            const std::string why = MessageText(msg::SpoolFailed).section(QStringLiteral("%1"), 0, 0).toStdString();
            EXPECT_NE(std::string::npos, r.err.find(why)) << r.err;
        } else {
            EXPECT_EQ("83", requests.back());
            EXPECT_TRUE(SpoolHolds(spoolDir, d.data));
            EXPECT_TRUE(DataSafe(true, mnt, d, spoolDir));
        }
    }
}

} // namespace
