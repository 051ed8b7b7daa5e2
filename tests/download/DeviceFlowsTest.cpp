// The settings and clock flows as the Vexa sees them, and the saved values
// they start from.

#include "FakePort.h"
#include "LinkFixture.h"
#include "uArdoVexa.h"
#include "uDeviceFlows.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <map>

using namespace pellkit::test;
using namespace std::chrono_literals;

namespace {

// Answers 00h with two handshake values unless the script says otherwise.
class TFlowPort : public FakePort {
public:
    TFlowPort() : FakePort([this](const Bytes& r) { return Answer(r); }) { Close(); }
    void Open() override
    {
        if (!canOpen)
            throw ESerialPort("busy");
        FakePort::Open();
    }
    Bytes Payload(std::uint8_t command) const
    {
        for (const Bytes& r : Requests())
            if (r.size() > 7 && r[5] == command)
                return Bytes(r.begin() + 6, r.end() - 2);
        return {};
    }

    bool canOpen = true;
    std::map<std::uint8_t, std::uint8_t> status;  // command -> status answered
    std::map<std::uint8_t, bool> silent;          // command -> no answer
    bool hangupOnWrite = false;

private:
    Bytes Answer(const Bytes& request)
    {
        const std::uint8_t command = request[5];
        if (silent[command])
            return {};
        if (command == 0x71 && hangupOnWrite) {
            Hangup("gone");
            return {};
        }
        const std::uint8_t s = status.contains(command) ? status[command] : 0x00;
        if (command == 0x67 || command == 0x70)
            return Response(s, {0x00, 0x07, 0x01, 0x2C});
        return Response(s);
    }
};

class DeviceFlowsTest : public pellkit::test::LinkTest {
protected:
    void SetUp() override
    {
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        QSettings(QStringLiteral("Morvane"), QStringLiteral("Pellkit")).clear();
        SetExchangeTimeout(200ms);
    }
    void TearDown() override { SetExchangeTimeout(kDefaultExchangeTimeout); }

    QTemporaryDir config;
    TFlowPort port;
};

TEST_F(DeviceFlowsTest, SettingsPayloadAsTheVexaReceivesIt)
{
    TVexaSettings s;
    s.vexaLanguage = -1;
    s.mode = 255;
    s.activities = false;
    s.events = true;
    s.speed = true;
    s.technicalData = false;
    s.overview = false;  // never changes what is asked for
    std::vector<QString> lines;
    EXPECT_EQ(0, SendSettings(port, QStringLiteral("COM4"), s, [&](const QString& l) { lines.push_back(l); }));
    EXPECT_EQ("COM4", port.Name());
    EXPECT_EQ((std::vector<std::uint8_t>{0x70, 0x71, 0x72}), port.Commands());
    EXPECT_EQ((Bytes{0xFF, 0xFF, 1, 1, 2, 0, 3, 1, 4, 1, 5, 0}), port.Payload(0x71));
    EXPECT_FALSE(port.IsOpen());
    ASSERT_EQ(4u, lines.size());
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("7, 300")));
}

TEST_F(DeviceFlowsTest, SettingsResults)
{
    struct Case {
        const char* name;
        std::function<void(TFlowPort&)> arrange;
        int result;
        std::vector<std::uint8_t> commands;
    } cases[] = {
        {"port busy", [](TFlowPort& p) { p.canOpen = false; }, -1, {}},
        {"handshake refused", [](TFlowPort& p) { p.status[0x70] = 0x01; }, kResultRefused, {0x70}},
        {"handshake unanswered", [](TFlowPort& p) { p.silent[0x70] = true; }, kResultNoAnswer, {0x70}},
        {"write refused 71h", [](TFlowPort& p) { p.status[0x71] = 0x71; }, kResultRefused71, {0x70, 0x71}},
        {"status 74h is success here", [](TFlowPort& p) { p.status[0x71] = 0x74; }, 0, {0x70, 0x71, 0x72}},
        {"end refused still succeeds", [](TFlowPort& p) { p.status[0x72] = 0x01; }, 0, {0x70, 0x71, 0x72}},
        {"line lost", [](TFlowPort& p) { p.hangupOnWrite = true; }, -1, {0x70, 0x71}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFlowPort p;
        c.arrange(p);
        EXPECT_EQ(c.result, SendSettings(p, QStringLiteral("COM1"), TVexaSettings{}));
        EXPECT_EQ(c.commands, p.Commands());
        EXPECT_FALSE(p.IsOpen());
    }
}

TEST_F(DeviceFlowsTest, ClockPayloadDropsTheSeconds)
{
    const QDateTime moment(QDate(2008, 3, 15), QTime(14, 30, 59));
    EXPECT_EQ(0, SendClock(port, QStringLiteral("COM2"), moment, true));
    EXPECT_EQ((std::vector<std::uint8_t>{0x67, 0x71, 0x72}), port.Commands());
    EXPECT_EQ((Bytes{0x0F, 0x03, 0x08, 0x0E, 0x1E, 0x01}), port.Payload(0x71));
    EXPECT_EQ((TvexaMessage(0x71, port.Payload(0x71)).Data),
              (Bytes{0x02, 0x61, 0x00, 0x00, 0x07, 0x71, 0x0F, 0x03, 0x08, 0x0E, 0x1E, 0x01, 0x02, 0x03}));

    TFlowPort off;
    EXPECT_EQ(0, SendClock(off, QStringLiteral("COM2"), moment, false));
    EXPECT_EQ(0x00, off.Payload(0x71).back());
}

TEST_F(DeviceFlowsTest, ClockResults)
{
    const QDateTime moment(QDate(2030, 1, 2), QTime(3, 4));
    struct Case {
        const char* name;
        std::function<void(TFlowPort&)> arrange;
        int result;
        std::vector<std::uint8_t> commands;
    } cases[] = {
        {"port busy", [](TFlowPort& p) { p.canOpen = false; }, -1, {}},
        {"handshake unanswered", [](TFlowPort& p) { p.silent[0x67] = true; }, kResultNoAnswer, {0x67}},
        {"write 74h, end still sent", [](TFlowPort& p) { p.status[0x71] = 0x74; }, kResultCancelled,
         {0x67, 0x71, 0x72}},
        {"write 75h", [](TFlowPort& p) { p.status[0x71] = 0x75; }, kResultClockRefused75, {0x67, 0x71, 0x72}},
        {"end refused", [](TFlowPort& p) { p.status[0x72] = 0x01; }, kResultRefused, {0x67, 0x71, 0x72}},
        {"write unanswered, end refused: the end wins",
         [](TFlowPort& p) {
             p.silent[0x71] = true;
             p.status[0x72] = 0x01;
         },
         kResultRefused, {0x67, 0x71, 0x72}},
        {"line lost", [](TFlowPort& p) { p.hangupOnWrite = true; }, -1, {0x67, 0x71}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFlowPort p;
        c.arrange(p);
        EXPECT_EQ(c.result, SendClock(p, QStringLiteral("COM1"), moment, true));
        EXPECT_EQ(c.commands, p.Commands());
        EXPECT_FALSE(p.IsOpen());
    }
}

TEST_F(DeviceFlowsTest, SavedValuesAndTheirDefaults)
{
    bool exists = true;
    const TVexaSettings fresh = LoadVexaSettings(&exists);
    EXPECT_FALSE(exists);
    EXPECT_TRUE(fresh.activities && fresh.events && fresh.overview);
    EXPECT_FALSE(fresh.speed || fresh.technicalData);
    EXPECT_EQ(0, fresh.vexaLanguage);
    EXPECT_EQ(-1, fresh.mode);
    EXPECT_TRUE(LoadUseRealtimeClock());

    TVexaSettings s;
    s.activities = false;
    s.speed = true;
    s.vexaLanguage = 22;
    s.mode = 30;
    ASSERT_TRUE(SaveVexaSettings(s));
    ASSERT_TRUE(SaveUseRealtimeClock(false));
    QSettings raw(QStringLiteral("Morvane"), QStringLiteral("Pellkit"));
    EXPECT_EQ(QVariant(0), raw.value(QStringLiteral("Vexa/Activity")));
    EXPECT_EQ(QVariant(1), raw.value(QStringLiteral("Vexa/Speed")));
    EXPECT_EQ(QVariant(0), raw.value(QStringLiteral("Vexa/useRealtimeClock")));

    const TVexaSettings back = LoadVexaSettings(&exists);
    EXPECT_TRUE(exists);
    EXPECT_FALSE(back.activities);
    EXPECT_TRUE(back.speed);
    EXPECT_EQ(22, back.vexaLanguage);
    EXPECT_EQ(30, back.mode);
    EXPECT_FALSE(LoadUseRealtimeClock());

    // Unreadable values fall back to their defaults.
    raw.setValue(QStringLiteral("Vexa/Events"), QStringLiteral("yes"));
    raw.setValue(QStringLiteral("Vexa/Mode"), QStringLiteral("x"));
    raw.sync();
    EXPECT_TRUE(LoadVexaSettings().events);
    EXPECT_EQ(-1, LoadVexaSettings().mode);
}

TEST_F(DeviceFlowsTest, SavedModeAndLanguageAsTheDialogShowsThem)
{
    const std::pair<int, int> modes[] = {{0, 0}, {1, 1}, {-1, 2}, {2, 2}, {255, 255}, {300, 255}, {-7, 2}};
    for (auto [saved, shown] : modes)
        EXPECT_EQ(shown, DialogMode(saved)) << saved;
    const std::pair<int, int> languages[] = {{0, 0}, {22, 22}, {23, -1}, {30, -1}, {-1, -1}};
    for (auto [saved, shown] : languages)
        EXPECT_EQ(shown, DialogVexaLanguage(saved)) << saved;
}

} // namespace
