// The download worker against a scripted Vexa: what it answers, what it tells
// the Vexa, what it hands over, and that the Vexa deletes nothing that is not
// safe on disk.

#include "LinkFixture.h"
#include "WorkerHarness.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>

using namespace pellkit::test;
using namespace std::chrono_literals;

namespace {

// A container the validation pass accepts: one VU entry with a single
// transfer response (only A1h, A6h and A7h are read by the pass).
Bytes GoodFile(std::size_t size = 300)
{
    return MakeContainer({{{0xA2, MakeResponse(0x02, size)}}});
}

std::vector<std::uint8_t> Cmds(std::initializer_list<int> codes)
{
    std::vector<std::uint8_t> v;
    for (int c : codes)
        v.push_back(static_cast<std::uint8_t>(c));
    return v;
}

// 80h, one 81h per block and the final 81h answered 83h.
std::vector<std::uint8_t> ReadCommands(std::size_t fileSize, std::size_t block, int blockRequests = -1)
{
    std::vector<std::uint8_t> v{0x80};
    const int n = blockRequests >= 0 ? blockRequests : static_cast<int>((fileSize + block - 1) / block) + 1;
    v.insert(v.end(), static_cast<std::size_t>(n), 0x81);
    return v;
}

class ThreadDownloadTest : public pellkit::test::LinkTest {
protected:
    void SetUp() override
    {
        QStandardPaths::setTestModeEnabled(true);
        SetExchangeTimeout(300ms);
        setup.spoolDirectory = spool.path() + QStringLiteral("/spool");
    }
    void TearDown() override { SetExchangeTimeout(kDefaultExchangeTimeout); }

    QStringList Spooled() const { return SpoolLeftovers(setup.spoolDirectory); }

    QTemporaryDir spool;
    TWorkerSetup setup;
    TScriptedPort port;
    TThreadDownload* worker_ = nullptr;
};

struct TCase {
    const char* name;
    TVexaScript script;
    bool keepData;
    int result;
    std::vector<std::uint8_t> commands;
    bool handedOver;  // the whole file, for the owner to store what it can
    bool spooled;
};

TEST_F(ThreadDownloadTest, OutcomesOfOneDownload)
{
    const Bytes good = GoodFile();
    const Bytes malformed = [] {
        Bytes b = GoodFile();
        b[0] = 0xF1;  // no outer element
        return b;
    }();
    const std::size_t n = (good.size() + 63) / 64;  // blocks of the good file
    auto with = [&](auto change) {
        TVexaScript s{good};
        change(s);
        return s;
    };
    auto plus = [](std::vector<std::uint8_t> v, std::initializer_list<int> more) {
        for (int c : more)
            v.push_back(static_cast<std::uint8_t>(c));
        return v;
    };
    const std::vector<TCase> cases = {
        {"deleted once spooled", {good}, false, 0, plus(ReadCommands(good.size(), 64), {0x83}), true, true},
        {"kept", {good}, true, 0, plus(ReadCommands(good.size(), 64), {0x84}), true, false},
        {"empty file", {Bytes{}}, false, kResultEmptyFile, Cmds({0x80, 0x81, 0x84}), false, false},
        {"malformed container", {malformed}, false, kResultBadDataFile, ReadCommands(good.size(), 64), true, false},
        {"refused block", with([](TVexaScript& s) { s.refuseBlock = 2; }), false, kResultBlockRefused,
         Cmds({0x80, 0x81, 0x81, 0x81, 0x84}), false, false},
        {"silent block keeps the data in the Vexa", with([](TVexaScript& s) { s.silentBlock = 1; }), false,
         kResultNoAnswer, Cmds({0x80, 0x81, 0x81, 0x84}), false, false},
        {"damaged block keeps the data in the Vexa", with([](TVexaScript& s) { s.corruptBlock = 1; }), false,
         kResultBadChecksum, Cmds({0x80, 0x81, 0x81, 0x84}), false, false},
        {"line lost mid-file", with([](TVexaScript& s) { s.hangupBlock = 2; }), false, kResultBadFrame,
         Cmds({0x80, 0x81, 0x81, 0x81}), false, false},
        {"open refused", with([](TVexaScript& s) { s.openStatus = 0x80; }), false, kResultOpenRefused80,
         Cmds({0x80}), false, false},
        {"open other status counts as accepted", with([](TVexaScript& s) { s.openStatus = 0x82; }), true, 0,
         plus(ReadCommands(good.size(), 64), {0x84}), true, false},
        {"open not answered", with([](TVexaScript& s) { s.silentOpen = true; }), false, kResultBadFrame,
         Cmds({0x80}), false, false},
        {"end command refused", with([](TVexaScript& s) { s.finishStatus = 0x01; }), false, kResultBlockRefused,
         plus(ReadCommands(good.size(), 64), {0x83}), true, true},
    };
    ASSERT_EQ(n + 2, ReadCommands(good.size(), 64).size());

    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedPort p;
        p.scripts["COM1"] = c.script;
        QTemporaryDir dir;
        TWorkerSetup s;
        s.keepData = c.keepData;
        s.spoolDirectory = dir.path() + QStringLiteral("/spool");
        // When the Vexa is told to delete, the bytes must already be on disk.
        bool safeAtDelete = true;
        p.onCommand = [&](std::uint8_t command) {
            if (command != 0x83)
                return;
            const QStringList files = SpoolLeftovers(s.spoolDirectory);
            safeAtDelete = files.size() == 1 && ReadAll(files.first()) == c.script.file;
        };
        const TWorkerRun run = RunWorker(p, s);
        EXPECT_EQ(c.result, run.result);
        EXPECT_EQ(c.commands, p.Commands());
        EXPECT_TRUE(safeAtDelete);
        EXPECT_FALSE(p.IsOpen());
        EXPECT_EQ(c.handedOver, run.data.has_value());
        if (run.data) {
            EXPECT_EQ(c.script.file, *run.data);
        }
        EXPECT_EQ(c.spooled ? 1 : 0, SpoolLeftovers(s.spoolDirectory).size());
        EXPECT_EQ(c.spooled, !run.spoolFile.isEmpty());
        if (c.spooled) {
            EXPECT_EQ(c.script.file, ReadAll(run.spoolFile));
        }
        EXPECT_TRUE(run.completedOnOwner);
    }
}

TEST_F(ThreadDownloadTest, SpoolThatCannotBeWrittenKeepsTheDataInTheVexa)
{
    const Bytes good = GoodFile();
    port.scripts["COM1"] = {good};
    // A regular file where the spool folder should be: nothing can go there.
    QFile blocker(spool.path() + QStringLiteral("/spool"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const TWorkerRun run = RunWorker(port, setup);
    EXPECT_EQ(0, run.result);
    ASSERT_TRUE(run.data);
    EXPECT_EQ(good, *run.data);
    EXPECT_EQ(0x84, port.Commands().back());
    EXPECT_TRUE(run.spoolFile.isEmpty());
    EXPECT_FALSE(run.spoolError.isEmpty());
}

TEST_F(ThreadDownloadTest, CancelDuringTheReadStopsAfterThatBlock)
{
    const Bytes good = GoodFile(600);
    port.scripts["COM1"] = {good};
    // The cancel arrives while the second block is being fetched.
    port.onCommand = [&, count = 0](std::uint8_t command) mutable {
        if (command == 0x81 && ++count == 2)
            worker_->Cancel();
    };
    const TWorkerRun run = RunWorker(port, setup, [&](TThreadDownload& w) { worker_ = &w; });
    EXPECT_EQ(kResultCancelled, run.result);
    EXPECT_FALSE(run.data);
    EXPECT_EQ(Cmds({0x80, 0x81, 0x81}), port.Commands());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(Spooled().isEmpty());
}

TEST_F(ThreadDownloadTest, CancelWhileTheOpenCommandWaits)
{
    port.scripts["COM1"] = {GoodFile()};
    port.onCommand = [&](std::uint8_t command) {
        if (command == 0x80)
            worker_->Cancel();
    };
    const TWorkerRun answered = RunWorker(port, setup, [&](TThreadDownload& w) { worker_ = &w; });
    EXPECT_EQ(kResultCancelled, answered.result);
    EXPECT_EQ(Cmds({0x80}), port.Commands());

    TScriptedPort silent;
    silent.scripts["COM1"] = {GoodFile()};
    silent.scripts["COM1"].silentOpen = true;
    silent.onCommand = port.onCommand;
    const TWorkerRun unanswered = RunWorker(silent, setup, [&](TThreadDownload& w) { worker_ = &w; });
    EXPECT_EQ(kResultBadFrame, unanswered.result);
    EXPECT_EQ(Cmds({0x80}), silent.Commands());
}

TEST_F(ThreadDownloadTest, CancelAfterTheEndCommandIsIgnored)
{
    const Bytes good = GoodFile();
    port.scripts["COM1"] = {good};
    port.onCommand = [&](std::uint8_t command) {
        if (command == 0x83)
            worker_->Cancel();
    };
    const TWorkerRun run = RunWorker(port, setup, [&](TThreadDownload& w) { worker_ = &w; });
    EXPECT_EQ(0, run.result);
    ASSERT_TRUE(run.data);
    EXPECT_EQ(good, *run.data);
    EXPECT_EQ(0x83, port.Commands().back());
}

TEST_F(ThreadDownloadTest, SerialErrorDuringAnExchangeFailsThatPort)
{
    port.scripts["COM1"] = {GoodFile()};
    port.writeError = "write failed";
    const TWorkerRun run = RunWorker(port, setup);
    EXPECT_EQ(kResultBadFrame, run.result);
    EXPECT_FALSE(run.data);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(ThreadDownloadTest, PortsAreTriedInTurnAndTheLastOneCounts)
{
    // COM1 delivers part of a long file and refuses; COM2 is missing; COM3
    // delivers a short file that must not carry the rest of COM1's bytes.
    TVexaScript longer{GoodFile(900)};
    longer.refuseBlock = 5;
    port.scripts["COM1"] = longer;
    const Bytes shorter = GoodFile(100);
    port.scripts["COM3"] = {shorter};
    setup.firstPort = 1;
    setup.lastPort = 3;
    const TWorkerRun run = RunWorker(port, setup);
    EXPECT_EQ(0, run.result);
    ASSERT_TRUE(run.data);
    EXPECT_EQ(shorter, *run.data);
    EXPECT_EQ("COM3", port.Name());

    TScriptedPort none;
    none.scripts["COM7"] = {GoodFile()};
    setup.firstPort = setup.lastPort = 6;
    EXPECT_EQ(kResultBadFrame, RunWorker(none, setup).result);
    EXPECT_TRUE(none.Commands().empty());
}

TEST_F(ThreadDownloadTest, ProgressReachesTheOwnerQueuedAndInOrder)
{
    port.scripts["COM1"] = {GoodFile(600)};
    const TWorkerRun run = RunWorker(port, setup);
    ASSERT_EQ(0, run.result);
    EXPECT_TRUE(run.progressOnOwner);
    ASSERT_FALSE(run.progress.empty());
    EXPECT_TRUE(std::is_sorted(run.progress.begin(), run.progress.end()));
    EXPECT_EQ(255, run.progress.back());
}

} // namespace
