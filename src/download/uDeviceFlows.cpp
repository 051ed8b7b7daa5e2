#include "uDeviceFlows.h"

#include "uArdoVexa.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include "uSettingsStore.h"

#include <algorithm>
#include <exception>

namespace {

int ReadInt(const QSettings& s, const QString& key, int fallback)
{
    bool ok = false;
    const int v = s.value(key).toInt(&ok);
    return ok ? v : fallback;
}

bool ReadBool(const QSettings& s, const QString& key, bool fallback) { return ReadInt(s, key, fallback ? 1 : 0) != 0; }

bool Saved(QSettings& s)
{
    s.sync();
    return s.status() == QSettings::NoError;
}

void Say(const TFlowStatus& status, int code, const QString& tail)
{
    if (status)
        status(MessageText(code) + tail);
}

TVexaDateTime ToVexa(const QDateTime& local)
{
    const QDate d = local.date();
    const QTime t = local.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

} // namespace

TVexaSettings LoadVexaSettings(bool* keyExists, TSavedVexaSettings* saved)
{
    const auto settings = VexaSettings();
    QSettings& s = *settings;
    TVexaSettings v;
    if (keyExists)
        *keyExists = !s.childKeys().isEmpty();
    v.activities = ReadBool(s, QStringLiteral("Activity"), v.activities);
    v.events = ReadBool(s, QStringLiteral("Events"), v.events);
    v.overview = ReadBool(s, QStringLiteral("Overview"), v.overview);
    v.speed = ReadBool(s, QStringLiteral("Speed"), v.speed);
    v.technicalData = ReadBool(s, QStringLiteral("TechnicalData"), v.technicalData);
    v.vexaLanguage = ReadInt(s, QStringLiteral("VexaLanguage"), v.vexaLanguage);
    v.mode = ReadInt(s, QStringLiteral("Mode"), v.mode);
    if (saved) {
        const auto has = [&](const char* key) {
            bool ok = false;
            s.value(QLatin1String(key)).toInt(&ok);
            return ok;
        };
        *saved = {has("Activity"), has("Events"), has("Speed"), has("TechnicalData"), has("VexaLanguage"),
                  has("Mode")};
    }
    return v;
}

bool SaveVexaSettings(const TVexaSettings& v)
{
    const auto settings = VexaSettings();
    QSettings& s = *settings;
    s.setValue(QStringLiteral("Activity"), v.activities ? 1 : 0);
    s.setValue(QStringLiteral("Events"), v.events ? 1 : 0);
    s.setValue(QStringLiteral("Overview"), v.overview ? 1 : 0);
    s.setValue(QStringLiteral("Speed"), v.speed ? 1 : 0);
    s.setValue(QStringLiteral("TechnicalData"), v.technicalData ? 1 : 0);
    s.setValue(QStringLiteral("VexaLanguage"), v.vexaLanguage);
    s.setValue(QStringLiteral("Mode"), v.mode);
    s.endGroup();
    return Saved(s);
}

int DialogMode(int savedMode)
{
    if (savedMode == 0 || savedMode == 1)
        return savedMode;
    return std::clamp(savedMode, kMinLastDays, kMaxLastDays);
}

int DialogVexaLanguage(int savedLanguage)
{
    return savedLanguage >= 0 && savedLanguage < kVexaLanguageCount ? savedLanguage : -1;
}

bool LoadUseRealtimeClock()
{
    const auto settings = VexaSettings();
    QSettings& s = *settings;
    return ReadBool(s, QStringLiteral("useRealtimeClock"), true);
}

bool SaveUseRealtimeClock(bool useDeviceClock)
{
    const auto settings = VexaSettings();
    QSettings& s = *settings;
    s.setValue(QStringLiteral("useRealtimeClock"), useDeviceClock ? 1 : 0);
    s.endGroup();
    return Saved(s);
}

namespace {

// Opens the port, runs the flow's exchanges on it and closes it on every way
// out; a failed write or a lost line ends the flow with -1.
template <class Exchanges>
int OnPort(ISerialPort& port, const QString& portName, Exchanges exchanges)
{
    TPortGuard guard(port);
    try {
        guard.Open(portName.toStdString());
    } catch (const std::exception&) {
        return kResultBadFrame;
    }
    try {
        return exchanges();
    } catch (const std::exception&) {
        return kResultBadFrame;
    }
}

// The opening handshake (67h or 70h), with its result and the Vexa's values
// on the status line.
int Greet(int (*handshake)(ISerialPort&, std::uint16_t&, std::uint16_t&), ISerialPort& port,
          const TFlowStatus& status)
{
    std::uint16_t value1 = 0;
    std::uint16_t value2 = 0;
    const int hello = handshake(port, value1, value2);
    Say(status, msg::ConnectionResult, QString::number(hello));
    if (hello == kResultOk)
        Say(status, msg::VexaAnswered, QStringLiteral("%1, %2").arg(value1).arg(value2));
    return hello;
}

} // namespace

int SendSettings(ISerialPort& port, const QString& portName, const TVexaSettings& settings, const TFlowStatus& status)
{
    return OnPort(port, portName, [&] {
        if (const int hello = Greet(ConfigurationHandshake, port, status); hello != kResultOk)
            return hello;
        const int written = WriteSettings(settings.vexaLanguage, settings.mode, settings.activities, settings.events,
                                          settings.speed, settings.technicalData, port);
        Say(status, msg::SettingsWriteResult, QString::number(written));
        if (written != kResultOk)
            return written;
        Say(status, msg::EndSettingsResult, QString::number(EndSettings(port)));
        return kResultOk;
    });
}

int SendClock(ISerialPort& port, const QString& portName, const QDateTime& localMoment, bool useDeviceClock,
              const TFlowStatus& status)
{
    return OnPort(port, portName, [&] {
        if (const int hello = Greet(ClockHandshake, port, status); hello != kResultOk)
            return hello;
        int result = WriteClock(ToVexa(localMoment), useDeviceClock, port);
        Say(status, msg::SettingsWriteResult, QString::number(result));
        const int end = EndSettings(port);
        Say(status, msg::EndSettingsResult, QString::number(end));
        if (end != kResultOk)
            result = end;
        return result;
    });
}
