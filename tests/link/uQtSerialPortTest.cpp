// The adapter against a real pseudo-terminal: the test plays the Vexa on the
// master side.
#include "uQtSerialPort.h"

#include "LinkFixture.h"
#include "uArdoVexa.h"
#include "uMemoryStream.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

class Pty {
public:
    Pty()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            return;
        slave_ = ptsname(master_);
    }
    ~Pty() { HangUp(); }
    bool Ok() const { return !slave_.empty(); }
    const std::string& Slave() const { return slave_; }

    // Reads exactly n bytes (or fewer when the line stays silent for 5 s).
    Bytes Read(std::size_t n)
    {
        Bytes out;
        while (out.size() < n) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 5000) <= 0)
                break;
            std::uint8_t buf[512];
            const ssize_t got = read(master_, buf, std::min(sizeof buf, n - out.size()));
            if (got <= 0)
                break;
            out.insert(out.end(), buf, buf + got);
        }
        return out;
    }
    void Write(const Bytes& b) { ASSERT_EQ(write(master_, b.data(), b.size()), static_cast<ssize_t>(b.size())); }
    void HangUp()
    {
        if (master_ >= 0)
            close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string slave_;
};

Bytes Response(std::uint8_t status, const Bytes& data = {}) { return TvexaMessage(status, data).Data; }

class QtSerial : public pellkit::test::LinkTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Ok()) << "no pseudo-terminal";
        port.SetName(pty.Slave());
        SetExchangeTimeout(60s);
    }
    void TearDown() override { SetExchangeTimeout(kDefaultExchangeTimeout); }

    Pty pty;
    TQtSerialPort port;
};

TEST_F(QtSerial, WriteArrivesWholeAndAnswersArriveInOrder)
{
    ASSERT_NO_THROW(port.Open());
    EXPECT_TRUE(port.IsOpen());

    Bytes block(3000);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i * 7);
    const Bytes answer = Response(0x00, block);

    std::thread device([&] {
        const Bytes request = pty.Read(8);
        EXPECT_EQ(request, TvexaMessage(0x81, {}).Data);
        for (std::size_t i = 0; i < answer.size(); i += 700) // in pieces, as a line delivers it
            pty.Write(Bytes(answer.begin() + static_cast<long>(i),
                            answer.begin() + static_cast<long>(std::min(answer.size(), i + 700))));
    });
    TMemoryStream stream;
    EXPECT_EQ(ReadDataBlock(stream, port), kResultOk);
    device.join();
    EXPECT_EQ(stream.Buffer(), block);

    // A long request leaves in one piece.
    const Bytes big = TvexaMessage(0x71, Bytes(2000, 0x5A)).Data;
    port.Write(big);
    EXPECT_EQ(pty.Read(big.size()), big);
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(QtSerial, HangUpEndsTheWaitingExchangeAtOnce)
{
    ASSERT_NO_THROW(port.Open());
    std::thread device([&] {
        pty.Read(8);
        pty.Write({0x02, 0x61}); // half an answer
        pty.HangUp();
    });
    std::uint16_t v1 = 0, v2 = 0;
    // A lost line throws; only a missed hang-up would wait out the minute (-101).
    EXPECT_THROW(ConfigurationHandshake(port, v1, v2), ESerialPort);
    device.join();
    EXPECT_THROW(ConfigurationHandshake(port, v1, v2), ESerialPort);
}

// An answer nobody read (the program was killed mid-block) must not be taken
// for the answer to the next run's first request: opening drops it.
TEST_F(QtSerial, AnAnswerLeftOnTheLineIsDroppedWhenThePortOpens)
{
    // The line stays open elsewhere meanwhile, so the answer waits in its input.
    const int held = ::open(pty.Slave().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    termios raw{};
    ASSERT_EQ(::tcgetattr(held, &raw), 0);
    ::cfmakeraw(&raw);
    ASSERT_EQ(::tcsetattr(held, TCSANOW, &raw), 0);
    pty.Write(Response(0x00, {0xDE, 0xAD, 0xBE, 0xEF}));
    std::this_thread::sleep_for(50ms);
    AttachLink(port);
    Assembler().Reset();
    ASSERT_NO_THROW(port.Open());
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Assembler().Count(), 0);
    port.Close();
    ::close(held);
}

TEST_F(QtSerial, MissingOrBusyPortFailsWithTheReason)
{
    TQtSerialPort missing;
    missing.SetName("/dev/pellkit-no-such-port");
    try {
        missing.Open();
        FAIL() << "opened a missing device";
    } catch (const ESerialPort& e) {
        EXPECT_NE(std::string(e.what()).find("/dev/pellkit-no-such-port: "), std::string::npos) << e.what();
        EXPECT_GT(std::string(e.what()).size(), std::string("/dev/pellkit-no-such-port: ").size());
    }
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_THROW(missing.Write(Bytes{1}), ESerialPort);

    ASSERT_NO_THROW(port.Open());
    TQtSerialPort second;
    second.SetName(pty.Slave());
    EXPECT_THROW(second.Open(), ESerialPort);
}

TEST(ResolvePortName, MapsComNamesToDevices)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings(QStringLiteral("Morvane"), QStringLiteral("Pellkit")).setValue("Ports/COM7", "/dev/ttyUSB0");

    struct Case {
        const char* in;
        const char* out;
    } const cases[] = {
        {"COM1", "/dev/ttyS0"}, {"COM12", "/dev/ttyS11"}, {"com3", "/dev/ttyS2"},
        {"COM7", "/dev/ttyUSB0"}, {"/dev/pts/4", "/dev/pts/4"}, {"COM0", "COM0"},
        {"COMX", "COMX"}, {"COM99999999999", "COM99999999999"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolvePortName(QString::fromLatin1(c.in)).toStdString(), c.out) << c.in;
}

} // namespace
