// vexa-sim serve over a real pty: the conversation of a download, request
// framing, every injected fault, the symlink, the arguments.

#include "VexaSim.h"

#include "uArdoVexaMess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using pellkit::test::RunProgram;
using pellkit::test::TempDir;
using pellkit::test::VexaSim;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The program's end of the line, reduced to raw bytes.
class Line {
public:
    explicit Line(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {}
    ~Line()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    bool HungUp() const { return hungUp_; }

    void Send(const Bytes& bytes) { ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
    void Request(std::uint8_t command, const Bytes& data = {}) { Send(TvexaMessage(command, data).Data); }

    // One answer frame, junk before its STX skipped; empty when none came.
    Bytes Frame(std::chrono::milliseconds timeout = 5s)
    {
        Bytes f;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (f.size() >= 5 && f.size() == static_cast<std::size_t>(f[3] * 256 + f[4] + 7))
                return f;
            std::uint8_t b;
            if (!ReadByte(b, deadline))
                break;
            if (!f.empty() || b == 0x02)
                f.push_back(b);
        }
        return {};
    }

    // Whatever arrives until the line stays quiet for `quiet`, or hangs up.
    Bytes Drain(std::chrono::milliseconds quiet = 300ms)
    {
        Bytes all;
        std::uint8_t b;
        while (ReadByte(b, std::chrono::steady_clock::now() + quiet))
            all.push_back(b);
        return all;
    }

private:
    bool ReadByte(std::uint8_t& b, std::chrono::steady_clock::time_point deadline)
    {
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left <= 0ms || hungUp_)
                return false;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            const ssize_t n = ::read(fd_, &b, 1);
            if (n == 1)
                return true;
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                hungUp_ = true;
                return false;
            }
        }
    }

    int fd_;
    bool hungUp_ = false;
};

struct Answer {
    int validation = 1;
    std::uint8_t status = 0;
    Bytes data;
};

Answer Parse(const Bytes& frame)
{
    if (frame.empty())
        return {};
    const TvexaMessage m(frame);
    const auto payload = m.Payload();
    return {m.Validate(), m.Code(), Bytes(payload.begin(), payload.end())};
}

Answer Exchange(Line& line, std::uint8_t command, const Bytes& data = {})
{
    line.Request(command, data);
    return Parse(line.Frame());
}

Bytes Pattern(std::size_t n)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return b;
}

Bytes Slice(const Bytes& b, std::size_t from, std::size_t n)
{
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(from + n));
}

// The journal lines of answers so far.
std::size_t AnswersJournaled(const VexaSim& sim)
{
    std::size_t n = 0;
    for (const QJsonObject& o : sim.Journal())
        n += o.value("dir").toString() == "tx";
    return n;
}

// Waits until the simulator has dealt with `count` requests.
bool WaitForAnswers(const VexaSim& sim, std::size_t count)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (AnswersJournaled(sim) < count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

struct DataFile {
    TempDir dir;
    std::string path;
    explicit DataFile(const Bytes& bytes) : path((dir / "data.bin").string()) { pellkit::test::WriteFileBytes(path, bytes); }
};

} // namespace

TEST(VexaSimServe, AnswersADownloadAndTheSettingsExchanges)
{
    const Bytes data = Pattern(300);
    DataFile file(data);
    VexaSim sim({"--data", file.path, "--block", "128", "--values", "0x1234,43981", "--bps", "20000"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    Line line(sim.Port());
    ASSERT_TRUE(line.IsOpen());
    const Bytes values{0x12, 0x34, 0xAB, 0xCD};

    for (const std::uint8_t handshake : {0x70, 0x67}) {
        const Answer a = Exchange(line, handshake);
        EXPECT_EQ(a.validation, 0);
        EXPECT_EQ(a.status, 0x00);
        EXPECT_EQ(a.data, values);
    }
    const Bytes settings{0x02, 0x03, 0x01, 0x01, 0x02, 0x01, 0x03, 0x00, 0x04, 0x01, 0x05, 0x00};
    EXPECT_EQ(Exchange(line, 0x71, settings).status, 0x00);
    EXPECT_EQ(Exchange(line, 0x72).status, 0x00);

    // Two passes: 80h starts the file over.
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(Exchange(line, 0x80, {0x01}).data, values);
        Bytes got;
        for (const std::size_t size : {128u, 128u, 44u}) {
            const Answer a = Exchange(line, 0x81);
            ASSERT_EQ(a.validation, 0);
            EXPECT_EQ(a.status, 0x00);
            EXPECT_EQ(a.data.size(), size);
            got.insert(got.end(), a.data.begin(), a.data.end());
        }
        EXPECT_EQ(got, data);
        const Answer end = Exchange(line, 0x81);
        EXPECT_EQ(end.status, 0x83);
        EXPECT_TRUE(end.data.empty());
    }

    EXPECT_EQ(Exchange(line, 0x84).status, 0x00);
    EXPECT_EQ(Exchange(line, 0x80, {0x01}).status, 0x00);
    EXPECT_EQ(Exchange(line, 0x81).data, Slice(data, 0, 128)) << "kept data stays readable";
    EXPECT_EQ(Exchange(line, 0x83).status, 0x00);
    EXPECT_EQ(Exchange(line, 0x80, {0x01}).status, 0x00);
    EXPECT_EQ(Exchange(line, 0x81).status, 0x83) << "deleted data reads as an empty file";
    EXPECT_EQ(Exchange(line, 0x99).status, 0xFF);

    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_EQ(sim.Events(), (std::vector<std::string>{"kept", "deleted", "stopped"}));
    const auto journal = sim.Journal();
    bool sawSettings = false;
    for (const QJsonObject& o : journal) {
        if (o.value("dir") == "rx" && o.value("cmd") == "71")
            sawSettings = o.value("data") == "020301010201030004010500";
        EXPECT_TRUE(o.contains("t"));
    }
    EXPECT_TRUE(sawSettings);
    // The data file on disk is never touched.
    EXPECT_EQ(pellkit::test::ReadFileBytes(file.path), data);
}

TEST(VexaSimServe, FramesRequestsByTheirLengthField)
{
    DataFile file(Pattern(10));
    VexaSim sim({"--data", file.path, "--noise"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    Line line(sim.Port());

    // Junk before the STX, data bytes that look like STX and ETX, and a
    // request arriving in two pieces.
    const Bytes request = TvexaMessage(0x71, Bytes{0x02, 0x03, 0x02, 0x03, 0, 0, 0, 0, 0, 0, 0, 0}).Data;
    line.Send({0x55, 0x03, 0xFF});
    line.Send(Slice(request, 0, 4));
    std::this_thread::sleep_for(50ms);
    line.Send(Slice(request, 4, request.size() - 4));
    const Answer a = Parse(line.Frame());
    EXPECT_EQ(a.validation, 0);
    EXPECT_EQ(a.status, 0x00);

    // A damaged request gets no answer; the next one does.
    Bytes bad = TvexaMessage(0x70, Bytes{}).Data;
    bad[bad.size() - 2] ^= 0xFF;
    line.Send(bad);
    line.Request(0x70);
    EXPECT_EQ(Parse(line.Frame()).data, (Bytes{0x00, 0x01, 0x02, 0x00})) << "default values 1 and 512";

    // A request that stops halfway is dropped in time and does not swallow the next one.
    line.Send(Slice(TvexaMessage(0x81, Bytes{}).Data, 0, 5));
    const auto errors = [&sim] {
        std::vector<QJsonValue> e;
        for (const QJsonObject& o : sim.Journal()) {
            if (o.value("dir") == "rx" && o.contains("error"))
                e.push_back(o.value("error"));
        }
        return e;
    };
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (errors().size() < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(errors(), (std::vector<QJsonValue>{QJsonValue(-3), QJsonValue("incomplete")}));
    EXPECT_EQ(Exchange(line, 0x72).status, 0x00);

    EXPECT_EQ(sim.Requests(), (std::vector<std::string>{"71", "70", "72"}));
}

TEST(VexaSimServe, InjectsEachFault)
{
    const Bytes data = Pattern(40);
    DataFile file(data);
    const Bytes block0 = Slice(data, 0, 16), block1 = Slice(data, 16, 16);

    // Status override: the refused block is not consumed.
    {
        VexaSim sim({"--data", file.path, "--block", "16", "--status", "0x81=01:2"});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        Line line(sim.Port());
        EXPECT_EQ(Exchange(line, 0x81).data, block0);
        const Answer refused = Exchange(line, 0x81);
        EXPECT_EQ(refused.validation, 0);
        EXPECT_EQ(refused.status, 0x01);
        EXPECT_TRUE(refused.data.empty());
        EXPECT_EQ(Exchange(line, 0x81).data, block1);
    }
    // Silent: no answer to the first 80h, a normal one to the second.
    {
        VexaSim sim({"--data", file.path, "--silent", "80:1"});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        Line line(sim.Port());
        line.Request(0x80, {0x01});
        ASSERT_TRUE(WaitForAnswers(sim, 1));
        EXPECT_TRUE(line.Drain().empty());
        EXPECT_EQ(Exchange(line, 0x80, {0x01}).status, 0x00);
    }
    // Corrupt: a whole frame with a wrong checksum.
    {
        VexaSim sim({"--data", file.path, "--corrupt", "81"});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        Line line(sim.Port());
        EXPECT_EQ(Exchange(line, 0x81).validation, kFrameBadChecksum);
        EXPECT_EQ(Exchange(line, 0x70).validation, 0);
    }
    // Stall: the first K bytes and nothing more.
    {
        VexaSim sim({"--data", file.path, "--stall", "81:1:6"});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        Line line(sim.Port());
        line.Request(0x81);
        ASSERT_TRUE(WaitForAnswers(sim, 1));
        EXPECT_EQ(line.Drain(), (Bytes{0x02, 0x61, 0x00, 0x00, 0x29, 0x00}));
        EXPECT_FALSE(line.HungUp());
    }
    // Hang-up: part of the answer, the line closes, a fresh pty takes over.
    {
        TempDir dir;
        const std::string link = (dir / "vexa").string();
        VexaSim sim({"--data", file.path, "--block", "16", "--hangup", "81:2", "--link", link});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        {
            Line line(sim.Port());
            EXPECT_EQ(Exchange(line, 0x81).data, block0);
            line.Request(0x81);
            const Bytes part = line.Drain(2s);
            EXPECT_TRUE(line.HungUp());
            EXPECT_FALSE(part.empty());
            EXPECT_LT(part.size(), 24u);
        }
        const std::string next = sim.WaitForNextPort();
        ASSERT_FALSE(next.empty());
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), next);
        Line again(link);
        ASSERT_TRUE(again.IsOpen());
        EXPECT_EQ(Exchange(again, 0x80, {0x01}).status, 0x00);
        EXPECT_EQ(Exchange(again, 0x81).data, block0);
        EXPECT_EQ(sim.Stop(), 0);
        EXPECT_EQ(sim.Events(), (std::vector<std::string>{"hangup", "reopened", "stopped"}));
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link))) << "link removed on exit";
    }
}

TEST(VexaSimServe, RefusesBadArgumentsClearly)
{
    DataFile file(Pattern(4));
    TempDir dir;
    pellkit::test::WriteFileBytes(dir / "precious", {0x01});
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    } cases[] = {
        {{"serve"}, 2, "needs --data FILE"},
        {{"serve", "--data", (dir / "missing").string()}, 1, "cannot read"},
        {{"serve", "--data", file.path, "--block", "0"}, 2, "--block must be 1 to 65534"},
        {{"serve", "--data", file.path, "--values", "1"}, 2, "--values takes two 16-bit numbers"},
        {{"serve", "--data", file.path, "--status", "81"}, 2, "--status: expected CMD=S[:N]"},
        {{"serve", "--data", file.path, "--status", "81=100"}, 2, "S a hexadecimal byte"},
        {{"serve", "--data", file.path, "--stall", "81"}, 2, "--stall: expected CMD[:N]:K"},
        {{"serve", "--data", file.path, "--silent", "81:0"}, 2, "request number must be 1 or more"},
        {{"serve", "--data", file.path, "--corrupt", "zz"}, 2, "command must be a hexadecimal byte"},
        {{"serve", "--data", file.path, "--link", (dir / "precious").string()}, 1, "exists and is not a symlink"},
        {{"bogus"}, 2, "unknown command 'bogus'"},
    };
    for (const auto& c : cases) {
        const auto r = RunProgram("vexa-sim", c.args, 10s);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(pellkit::test::ReadFileBytes(dir / "precious"), (Bytes{0x01}));
}
