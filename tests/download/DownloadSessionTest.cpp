// The download session without Qt, on threads of its own: the session on
// one, the Vexa answering byte by byte on another, the owner watching and
// cancelling from a third. This is what the ThreadSanitizer build checks.

#include "LinkFixture.h"
#include "ScriptedVexa.h"
#include "uDownloadSession.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace pellkit::test;
using namespace std::chrono_literals;

namespace {

Bytes GoodFile(std::size_t size = 600) { return MakeContainer({{{0xA2, MakeResponse(0x02, size)}}}); }

// What the session did with its hooks, as seen from any thread.
struct TRecorder {
    std::mutex mutex;
    Bytes spooled;
    int spools = 0;
    std::vector<int> progress;
    std::vector<std::string> log;
    bool failSpool = false;

    TDownloadHooks Hooks(const Bytes& expected)
    {
        return TDownloadHooks{
            .validate = [expected](TMemoryStream& data) { return data.Buffer() == expected; },
            .spool =
                [this](std::span<const std::uint8_t> data) {
                    std::lock_guard lock(mutex);
                    ++spools;
                    if (failSpool)
                        return TSpoolOutcome{false, {}, "disk full"};
                    spooled.assign(data.begin(), data.end());
                    return TSpoolOutcome{true, "/spool/1.bin", {}};
                },
            .progress =
                [this](int value, std::int32_t, std::int32_t) {
                    std::lock_guard lock(mutex);
                    progress.push_back(value);
                },
            .log =
                [this](const std::string& line) {
                    std::lock_guard lock(mutex);
                    log.push_back(line);
                },
        };
    }
};

class DownloadSessionTest : public pellkit::test::LinkTest {
protected:
    void SetUp() override { SetExchangeTimeout(300ms); }
    void TearDown() override { SetExchangeTimeout(kDefaultExchangeTimeout); }
};

// A Vexa on its own thread that notes, at the delete command, whether the
// durable copy already held the whole file.
struct TWatchedVexa : TScriptedPort {
    TWatchedVexa(const TVexaScript& script, TRecorder& recorder) : TScriptedPort(true)
    {
        scripts["COM1"] = script;
        onCommand = [this, &recorder, file = script.file](std::uint8_t command) {
            if (command == 0x83) {
                std::lock_guard lock(recorder.mutex);
                deletedUnsafe = deletedUnsafe || recorder.spooled != file;
            }
            if (then)
                then(command);
        };
    }
    std::atomic<bool> deletedUnsafe{false};
    std::function<void(std::uint8_t)> then;  // on the device thread, after the check
};

// 80h, one 81h per block, the 81h answered 83h, and the end command.
std::size_t CommandsOfADownload(std::size_t fileSize, std::size_t block = 64)
{
    return (fileSize + block - 1) / block + 3;
}

TEST_F(DownloadSessionTest, DownloadsFromADeviceThreadWhileTheOwnerWatches)
{
    const Bytes file = GoodFile();
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "keep" : "delete");
        TRecorder r;
        TWatchedVexa vexa({file}, r);
        TDownloadSession session(vexa, 1, 1, keep, r.Hooks(file));
        std::atomic<bool> done{false};
        std::thread worker([&] {
            session.Execute();
            done = true;
        });
        // The owner reads the figures while the session writes them.
        int highest = 0;
        while (!done) {
            highest = std::max(highest, session.Progress());
            (void)session.Received();
            (void)session.Total();
            (void)session.Cancelled();
            std::this_thread::yield();
        }
        worker.join();

        ASSERT_EQ(0, session.Result());
        ASSERT_NE(nullptr, session.Data());
        EXPECT_EQ(file, session.Data()->Buffer());
        EXPECT_EQ(CommandsOfADownload(file.size()), vexa.Commands().size());
        EXPECT_EQ(keep ? 0x84 : 0x83, vexa.Commands().back());
        EXPECT_EQ(keep ? 0 : 1, r.spools);
        EXPECT_EQ(keep ? "" : "/spool/1.bin", session.SpoolFile());
        EXPECT_FALSE(vexa.deletedUnsafe);
        EXPECT_EQ(255, session.Progress());
        EXPECT_LE(highest, 255);
        EXPECT_FALSE(vexa.IsOpen());
    }
}

// A cancel from the owner's thread at every point of the exchange: either
// the download is cancelled and the Vexa is never told to delete, or the
// cancel came after the commit and is ignored. Never a delete without the
// whole file spooled.
TEST_F(DownloadSessionTest, CancelAtAnyPointNeverDeletesUnsafeData)
{
    const Bytes file = GoodFile();
    for (std::size_t at = 0; at < CommandsOfADownload(file.size()); ++at) {
        SCOPED_TRACE("cancel once the Vexa has seen " + std::to_string(at + 1) + " commands");
        TRecorder r;
        TWatchedVexa vexa({file}, r);
        std::mutex mutex;
        std::condition_variable wake;
        std::size_t seen = 0;
        vexa.then = [&](std::uint8_t) {
            std::lock_guard lock(mutex);
            ++seen;
            wake.notify_all();
        };
        TDownloadSession session(vexa, 1, 1, false, r.Hooks(file));
        std::thread worker([&] { session.Execute(); });
        {
            std::unique_lock lock(mutex);
            wake.wait_for(lock, 5s, [&] { return seen > at; });
        }
        session.Cancel();
        worker.join();

        const std::vector<std::uint8_t> sent = vexa.Commands();
        EXPECT_FALSE(vexa.deletedUnsafe);
        if (!sent.empty() && sent.back() == 0x83) {
            // The cancel came after the commit.
            EXPECT_EQ(0, session.Result());
            EXPECT_NE(nullptr, session.Data());
        } else {
            EXPECT_EQ(kResultCancelled, session.Result());
            EXPECT_EQ(nullptr, session.Data());
            EXPECT_EQ(0, r.spools);
        }
        EXPECT_FALSE(vexa.IsOpen());
    }
}

TEST_F(DownloadSessionTest, FaultsOnTheDeviceThread)
{
    const Bytes file = GoodFile();
    struct TCase {
        const char* name;
        TVexaScript script;
        bool failSpool;
        int result;
        std::uint8_t lastCommand;
        bool portError;
    };
    auto with = [&](auto change) {
        TVexaScript s{file};
        change(s);
        return s;
    };
    const std::vector<TCase> cases = {
        {"line lost mid-file", with([](TVexaScript& s) { s.hangupBlock = 3; }), false, kResultBadFrame, 0x81, true},
        {"silent block", with([](TVexaScript& s) { s.silentBlock = 2; }), false, kResultNoAnswer, 0x84, false},
        {"damaged block", with([](TVexaScript& s) { s.corruptBlock = 1; }), false, kResultBadChecksum, 0x84, false},
        {"spool cannot be written", {file}, true, 0, 0x84, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedPort device{true};
        device.scripts["COM1"] = c.script;
        TRecorder r;
        r.failSpool = c.failSpool;
        TDownloadSession session(device, 1, 1, false, r.Hooks(file));
        std::thread worker([&] { session.Execute(); });
        worker.join();
        EXPECT_EQ(c.result, session.Result());
        EXPECT_EQ(c.lastCommand, device.Commands().back());
        EXPECT_EQ(c.portError, !session.PortError().empty());
        EXPECT_EQ(c.failSpool, !session.SpoolError().empty());
        EXPECT_EQ(c.result == 0, session.Data() != nullptr);
        EXPECT_FALSE(device.IsOpen());
    }
}

TEST_F(DownloadSessionTest, ProgressFollowsTheDeclaredTotal)
{
    TRecorder r;
    TScriptedPort port;
    TDownloadSession session(port, 1, 1, false, r.Hooks({}));
    struct TCase {
        std::int32_t total, received;
        int progress;
    } const cases[] = {{1000, 500, 127}, {1000, 1010, 255}, {0, 10, 0}, {1000, 0, 0}};
    for (const TCase& c : cases) {
        bool cancel = true;
        session.ReportProgress(c.total, c.received, cancel);
        EXPECT_EQ(c.progress, session.Progress()) << c.total << " " << c.received;
        EXPECT_FALSE(cancel);
    }
    session.Cancel();
    bool cancel = false;
    session.ReportProgress(1000, 10, cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ((std::vector<int>{127, 255, 0, 0, 2}), r.progress);
}

} // namespace
