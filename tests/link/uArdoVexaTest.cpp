#include "uArdoVexa.h"

#include "FakePort.h"
#include "LinkFixture.h"
#include "uMemoryStream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <limits>
#include <optional>

namespace {

using pellkit::test::Bytes;
using pellkit::test::FakePort;
using pellkit::test::Response;
using namespace std::chrono_literals;

class Link : public pellkit::test::LinkTest {
protected:
    void SetUp() override { SetExchangeTimeout(2s); }
};

// ---- assembler -------------------------------------------------------------

TEST_F(Link, AssemblerSkipsNoiseAndCompletesOnTheLengthField)
{
    ResponseAssembler a;
    const Bytes frame = Response(0x00, {0x02, 0x03});
    a.Feed(Bytes{0x55, 0x03, 0x61});
    EXPECT_EQ(a.Count(), 0);
    for (std::size_t i = 0; i < frame.size(); ++i) {
        EXPECT_FALSE(a.IsComplete()) << i;
        a.Feed(frame[i]);
    }
    EXPECT_TRUE(a.IsComplete());
    EXPECT_EQ(a.Bytes(), frame);

    a.Feed(0x00); // a late byte is appended and spoils the frame
    EXPECT_FALSE(a.IsComplete());
    EXPECT_EQ(a.Count(), static_cast<int>(frame.size()) + 1);
}

TEST_F(Link, AssemblerLengthZeroIsCompleteAfterSevenBytesAndResetForgetsIt)
{
    ResponseAssembler a;
    a.Feed(Bytes{0x02, 0x61, 0x00, 0x00, 0x00, 0x61});
    EXPECT_FALSE(a.IsComplete());
    a.Feed(0x03);
    EXPECT_TRUE(a.IsComplete());
    a.Reset();
    EXPECT_EQ(a.Count(), 0);
    a.Feed(Bytes{0x02, 0x61, 0x00}); // stale declared length must not complete this
    EXPECT_FALSE(a.IsComplete());
}

// ---- the course of an exchange ----------------------------------------------

TEST_F(Link, DamagedOrMissingResponses)
{
    const Bytes ok = Response(0x00, {0, 1, 0, 2});
    Bytes wrongSecond = ok;
    wrongSecond[1] = 0x62;
    Bytes badChecksum = ok;
    badChecksum[badChecksum.size() - 2] ^= 0x01;
    const Bytes oneShort(ok.begin(), ok.end() - 1);
    Bytes trailing = ok;
    trailing.push_back(0x00);

    struct Case {
        const char* name;
        Bytes answer;
        int expected;
    } const cases[] = {
        {"noise, then the frame", [&] { Bytes b{0xFF, 0x03}; b.insert(b.end(), ok.begin(), ok.end()); return b; }(), kResultOk},
        {"second byte not 61h", wrongSecond, kResultBadFrame},
        {"checksum", badChecksum, kResultBadChecksum},
        {"nothing", {}, kResultNoAnswer},
        {"one byte short", oneShort, kResultNoAnswer},
        {"a byte after the frame", trailing, kResultNoAnswer},
    };
    SetExchangeTimeout(100ms);
    for (const Case& c : cases) {
        FakePort port([&](const Bytes&) { return c.answer; });
        std::uint16_t v1 = 7, v2 = 7;
        EXPECT_EQ(ConfigurationHandshake(port, v1, v2), c.expected) << c.name;
        EXPECT_EQ(port.Requests(), std::vector<Bytes>{TvexaMessage(0x70, {}).Data}) << c.name;
    }
}

TEST_F(Link, BytesLeftFromBeforeTheExchangeAreDiscarded)
{
    FakePort port([](const Bytes&) { return Response(0x00, {0, 1, 0, 2}); });
    AttachLink(port);
    port.Deliver({0x02, 0x61, 0x00}); // the start of some stale frame
    std::uint16_t v1 = 0, v2 = 0;
    EXPECT_EQ(ConfigurationHandshake(port, v1, v2), kResultOk);
    EXPECT_EQ(v1, 1);
    EXPECT_EQ(v2, 2);
}

TEST_F(Link, AFailedWritePassesThrough)
{
    FakePort port;
    port.writeError = "Input/output error";
    std::uint16_t v1 = 0, v2 = 0;
    EXPECT_THROW(ConfigurationHandshake(port, v1, v2), ESerialPort);
}

// ---- the command table ------------------------------------------------------

struct StatusCase {
    const char* exchange;
    std::uint8_t status;
    int expected;
};

int RunNamed(const std::string& name, ISerialPort& port)
{
    std::uint16_t v1 = 0, v2 = 0;
    TMemoryStream s;
    if (name == "67") return ClockHandshake(port, v1, v2);
    if (name == "70") return ConfigurationHandshake(port, v1, v2);
    if (name == "71s") return WriteSettings(1, 0, true, true, true, true, port);
    if (name == "71c") return WriteClock({}, false, port);
    if (name == "72") return EndSettings(port);
    if (name == "80") return OpenDataFile(0x01, port, v1, v2);
    if (name == "81") return ReadDataBlock(s, port);
    if (name == "83") return FinishAndDelete(port);
    if (name == "84") return FinishAndKeep(port);
    ADD_FAILURE() << name;
    return 0;
}

TEST_F(Link, StatusBytesGiveTheirResultCodes)
{
    const StatusCase cases[] = {
        {"67", 0x00, kResultOk}, {"67", 0x01, kResultRefused},
        {"70", 0x00, kResultOk}, {"70", 0xFF, kResultRefused},
        {"72", 0x00, kResultOk}, {"72", 0x70, kResultRefused},
        {"71s", 0x00, kResultOk}, {"71s", 0x70, kResultRefused}, {"71s", 0x71, kResultRefused71},
        {"71s", 0x72, kResultRefused72}, {"71s", 0x73, kResultRefused73},
        {"71s", 0x74, kResultOk}, {"71s", 0x75, kResultOk}, {"71s", 0x01, kResultOk},
        {"71c", 0x00, kResultOk}, {"71c", 0x70, kResultRefused}, {"71c", 0x73, kResultRefused73},
        {"71c", 0x74, kResultCancelled}, {"71c", 0x75, kResultClockRefused75}, {"71c", 0x76, kResultOk},
        {"80", 0x00, kResultOk}, {"80", 0x80, kResultOpenRefused80}, {"80", 0x81, kResultOpenRefused81},
        {"80", 0x82, kResultOk},
        {"81", 0x83, kResultEmptyFile}, {"81", 0x01, kResultBlockRefused}, {"81", 0x84, kResultBlockRefused},
        {"83", 0x00, kResultOk}, {"83", 0x01, kResultBlockRefused},
        {"84", 0x00, kResultOk}, {"84", 0x83, kResultBlockRefused},
    };
    for (const StatusCase& c : cases) {
        FakePort port([&](const Bytes&) { return Response(c.status, {0, 1, 0, 2}); });
        EXPECT_EQ(RunNamed(c.exchange, port), c.expected) << c.exchange << " status " << std::hex << int(c.status);
    }
}

TEST_F(Link, ValuesAreBigEndianAndWrittenOnlyOnStatusZero)
{
    struct Case {
        std::uint8_t status;
        std::uint16_t v1, v2;
    } const cases[] = {{0x00, 0x0102, 0xFFFE}, {0x82, 7, 7}};
    for (const Case& c : cases) {
        FakePort port([&](const Bytes&) { return Response(c.status, {0x01, 0x02, 0xFF, 0xFE}); });
        std::uint16_t v1 = 7, v2 = 7;
        EXPECT_EQ(OpenDataFile(0x01, port, v1, v2), kResultOk);
        EXPECT_EQ(v1, c.v1);
        EXPECT_EQ(v2, c.v2);
        EXPECT_EQ(port.Requests().at(0), (Bytes{0x02, 0x61, 0x00, 0x00, 0x02, 0x80, 0x01, 0xE2, 0x03}));
    }
    FakePort refused([](const Bytes&) { return Response(0x01, {0x01, 0x02, 0x03, 0x04}); });
    std::uint16_t v1 = 7, v2 = 7;
    EXPECT_EQ(ClockHandshake(refused, v1, v2), kResultRefused);
    EXPECT_EQ(v1, 7);
}

TEST_F(Link, WritesSendTheirPayloads)
{
    FakePort port([](const Bytes&) { return Response(0x00); });
    EXPECT_EQ(WriteSettings(0x103, 30, true, false, true, false, port), kResultOk);
    EXPECT_EQ(WriteClock({2008, 3, 15, 14, 30, 59}, true, port), kResultOk);
    EXPECT_EQ(WriteClock({1999, 12, 31, 23, 59, 0}, false, port), kResultOk);
    const auto r = port.Requests();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0], TvexaMessage(0x71, Bytes{0x03, 30, 1, 1, 2, 1, 3, 0, 4, 1, 5, 0}).Data);
    EXPECT_EQ(r[1], (Bytes{0x02, 0x61, 0x00, 0x00, 0x07, 0x71, 0x0F, 0x03, 0x08, 0x0E, 0x1E, 0x01, 0x02, 0x03}));
    EXPECT_EQ(r[2], TvexaMessage(0x71, Bytes{31, 12, 0xFF, 23, 59, 0}).Data);
}

// ---- the data-file read loop ------------------------------------------------

// A Vexa that answers each 81h with the next block, then with status 83h.
FakePort::Responder Blocks(std::vector<Bytes> blocks, std::uint8_t endStatus = 0x83)
{
    auto next = std::make_shared<std::size_t>(0);
    return [blocks = std::move(blocks), next, endStatus](const Bytes& request) {
        if (request.at(5) != 0x81)
            return Response(0x00, {0, 0, 0, 0});
        if (*next < blocks.size())
            return Response(0x00, blocks[(*next)++]);
        return Response(endStatus);
    };
}

struct Progress {
    std::vector<std::pair<std::int32_t, std::int32_t>> calls;
    int cancelAt = -1; // call number that asks to stop
    ProgressCallback Callback()
    {
        return [this](std::int32_t total, std::int32_t received, bool& cancel) {
            calls.emplace_back(total, received);
            if (static_cast<int>(calls.size()) == cancelAt)
                cancel = true;
        };
    }
};

TEST_F(Link, ReadsTheWholeFileAndReportsProgress)
{
    // 300 bytes declared, 304 with the outer tag and length.
    const Bytes b1{0xF0, 0x82, 0x01, 0x2C, 0xF1, 0x82, 0x01, 0x28};
    const Bytes b2(200, 0x03);
    const Bytes b3(96, 0x02);
    FakePort port(Blocks({b1, b2, b3}));
    std::uint16_t v1 = 0, v2 = 0;
    ASSERT_EQ(OpenDataFile(0x01, port, v1, v2), kResultOk);
    TMemoryStream stream;
    Progress p;
    EXPECT_EQ(ReadDataFile(stream, port, p.Callback()), kResultEndOfFile);
    EXPECT_EQ(p.calls, (std::vector<std::pair<std::int32_t, std::int32_t>>{{300, 8}, {300, 208}, {300, 304}}));
    Bytes all = b1;
    all.insert(all.end(), b2.begin(), b2.end());
    all.insert(all.end(), b3.begin(), b3.end());
    EXPECT_EQ(stream.Buffer(), all);
    EXPECT_EQ(port.Commands(), (std::vector<std::uint8_t>{0x80, 0x81, 0x81, 0x81, 0x81}));
    EXPECT_EQ(ReadState().received, 304);
    EXPECT_TRUE(ReadState().gotBlock);
}

TEST_F(Link, TotalComesFromTheFirstBlockThatDeclaresIt)
{
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    struct Case {
        const char* name;
        Bytes first;
        std::int32_t total; // after the first block; the second declares 5
    } const cases[] = {
        {"short form", {0xF0, 0x7F, 0x00}, 0x7F},
        {"two length bytes", {0xF0, 0x82, 0x01, 0x2C}, 300},
        {"F0 80: unknown, next block decides", {0xF0, 0x80, 0x00}, 0},
        {"not F0: next block decides", {0xA0, 0x05}, 0},
        {"length bytes cut off by the block end", {0xF0, 0x82, 0x01}, 256},
        {"beyond 32 bits is clamped", {0xF0, 0x8F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, kMax},
    };
    for (const Case& c : cases) {
        FakePort port(Blocks({c.first, {0xF0, 0x05, 1, 2, 3, 4, 5}}));
        TMemoryStream stream;
        Progress p;
        EXPECT_EQ(ReadDataFile(stream, port, p.Callback()), kResultEndOfFile) << c.name;
        ASSERT_EQ(p.calls.size(), 2u) << c.name;
        EXPECT_EQ(p.calls[0].first, c.total) << c.name;
        EXPECT_EQ(p.calls[1].first, c.total == 0 ? 5 : c.total) << c.name;
        EXPECT_EQ(stream.Size(), c.first.size() + 7) << c.name;
    }
}

TEST_F(Link, EmptyFileAndRefusedBlock)
{
    {
        FakePort port(Blocks({}));
        TMemoryStream stream;
        EXPECT_EQ(ReadDataFile(stream, port, {}), kResultEmptyFile);
        EXPECT_EQ(stream.Size(), 0u);
    }
    {
        FakePort port(Blocks({{0xF0, 0x02, 0xAA, 0xBB}}, 0x42));
        TMemoryStream stream;
        EXPECT_EQ(ReadDataFile(stream, port, {}), kResultBlockRefused);
        EXPECT_EQ(stream.Buffer(), (Bytes{0xF0, 0x02, 0xAA, 0xBB}));
    }
}

TEST_F(Link, AVexaThatNeverStopsIsCutOffAtTheFileLimit)
{
    // Blocks of 10 bytes for ever, declaring no size; the limit lets exactly three in.
    SetDataFileLimit(30);
    FakePort port([](const Bytes&) { return Response(0x00, Bytes(10, 0x11)); });
    TMemoryStream stream;
    Progress p;
    EXPECT_EQ(ReadDataFile(stream, port, p.Callback()), kResultDataFileTooLong);
    SetDataFileLimit(kDefaultDataFileLimit);
    EXPECT_EQ(stream.Size(), 30u);
    EXPECT_EQ(p.calls.size(), 3u);
    EXPECT_EQ(port.Commands().size(), 4u);
}

TEST_F(Link, AVexaThatSendsMoreThanItsFileDeclaresIsCutOff)
{
    // F0 0C: 14 bytes in all. The second block fits exactly, the third would not.
    const Bytes first{0xF0, 0x0C, 0xF1, 0x0A, 0xA0, 0x08};
    auto blocks = std::make_shared<int>(0);
    FakePort port([blocks, first](const Bytes&) {
        return Response(0x00, (*blocks)++ == 0 ? first : Bytes(4, 0x11));
    });
    TMemoryStream stream;
    EXPECT_EQ(ReadDataFile(stream, port, {}), kResultDataFileTooLong);
    EXPECT_EQ(stream.Size(), 14u);
}

TEST_F(Link, BlocksWithoutDataInARowAreADeviceFault)
{
    // Empty blocks between data are harmless; a run of them is not.
    std::vector<Bytes> blocks{{0xF0, 0x00}, {}, {0x01}};
    for (int i = 0; i < kMaxEmptyBlocksInARow; ++i)
        blocks.push_back({});
    FakePort port(Blocks(blocks));
    TMemoryStream stream;
    EXPECT_EQ(ReadDataFile(stream, port, {}), kResultEmptyBlocks);
    EXPECT_EQ(stream.Buffer(), (Bytes{0xF0, 0x00, 0x01}));
    EXPECT_EQ(port.Commands().size(), 3u + kMaxEmptyBlocksInARow);
}

TEST_F(Link, AFloodAfterAWholeFrameIsNotKept)
{
    ResponseAssembler a;
    const Bytes frame = Response(0x00, {0x02, 0x03});
    a.Feed(frame);
    a.Feed(Bytes(1 << 20, 0x55));
    EXPECT_FALSE(a.IsComplete());
    EXPECT_EQ(a.Count(), static_cast<int>(frame.size()) + 1);
}

TEST_F(Link, BlockIsWrittenAtTheStreamPosition)
{
    FakePort port(Blocks({{0xAA, 0xBB}}));
    TMemoryStream stream(Bytes{1, 2, 3, 4, 5});
    stream.SetPosition(1);
    EXPECT_EQ(ReadDataBlock(stream, port), kResultOk);
    EXPECT_EQ(stream.Buffer(), (Bytes{1, 0xAA, 0xBB, 4, 5}));
    EXPECT_EQ(stream.Position(), 3u);
}

TEST_F(Link, CancelStopsAfterTheCurrentBlockAndStaysUntilTheNextOpen)
{
    FakePort port(Blocks({{0xF0, 0x10}, {1}, {2}, {3}}));
    TMemoryStream stream;
    Progress p;
    p.cancelAt = 2;
    ReadDataFile(stream, port, p.Callback());
    EXPECT_EQ(p.calls.size(), 2u);
    EXPECT_EQ(port.Commands(), (std::vector<std::uint8_t>{0x81, 0x81}));
    EXPECT_EQ(stream.Size(), 3u);
    EXPECT_TRUE(LinkCancel);
    std::uint16_t v1 = 0, v2 = 0;
    OpenDataFile(0x01, port, v1, v2);
    EXPECT_FALSE(LinkCancel);
    EXPECT_EQ(ReadState().total, 0);
    EXPECT_EQ(ReadState().received, 0);
}

// ---- a device on a thread of its own, fed byte by byte -----------------------

TEST_F(Link, DownloadFromADeviceThread)
{
    std::vector<Bytes> blocks{{0xF0, 0x82, 0x27, 0x10}};
    for (int i = 0; i < 50; ++i)
        blocks.emplace_back(200, static_cast<std::uint8_t>(i));
    FakePort port(Blocks(blocks), true);
    std::uint16_t v1 = 0, v2 = 0;
    ASSERT_EQ(OpenDataFile(0x01, port, v1, v2), kResultOk);
    TMemoryStream stream;
    Progress p;
    EXPECT_EQ(ReadDataFile(stream, port, p.Callback()), kResultEndOfFile);
    EXPECT_EQ(stream.Size(), 4u + 50 * 200);
    EXPECT_EQ(stream.Buffer().back(), 49);
    EXPECT_EQ(p.calls.back(), (std::pair<std::int32_t, std::int32_t>{10000, 10004}));
    EXPECT_EQ(FinishAndKeep(port), kResultOk);
}

TEST_F(Link, LineLostEndsTheWaitAtOnce)
{
    // With an hour to wait, only the line-lost wake-up can end this test.
    SetExchangeTimeout(std::chrono::hours(1));
    FakePort* self = nullptr;
    FakePort port(
        [&self](const Bytes&) {
            self->Deliver({0x02, 0x61, 0x00}); // half a frame, then the cable goes
            self->Hangup("The device was unplugged");
            return Bytes{};
        },
        true);
    self = &port;
    TMemoryStream stream;
    try {
        ReadDataFile(stream, port, {});
        FAIL() << "no exception";
    } catch (const ESerialPort& e) {
        EXPECT_STREQ(e.what(), "The device was unplugged");
    }
    EXPECT_FALSE(ReadState().progress);
}

TEST_F(Link, NoAnswerWaitsTheFullTenSeconds)
{
    SetExchangeTimeout(kDefaultExchangeTimeout);
    FakePort port;
    std::uint16_t v1 = 0, v2 = 0;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(ConfigurationHandshake(port, v1, v2), kResultNoAnswer);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 10s);
}

} // namespace
