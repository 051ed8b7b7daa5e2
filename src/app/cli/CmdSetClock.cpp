// pellkit-cli set-clock --port PORT [--at "YYYY-MM-DD HH:MM"] [--device-clock on|off] [--json]:
// the clock flow of the date and time dialog. The option is saved first,
// whatever the Vexa then answers.

#include "CliCommands.h"
#include "CliCommon.h"

#include "uDeviceFlows.h"
#include "uQtSerialPort.h"

#include <QDateTime>
#include <QJsonObject>
#include <QTextStream>

int RunSetClock(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral("Sets the Vexa's clock (to the minute), and whether its own clock stamps "
                                       "the archives it records."));
    AddPortOption(parser);
    parser.addOption({QStringLiteral("at"),
                      QStringLiteral("Local date and time to set, \"YYYY-MM-DD HH:MM\" (default: now)."),
                      QStringLiteral("WHEN")});
    parser.addOption({QStringLiteral("device-clock"),
                      QStringLiteral("Let the Vexa's own clock stamp its archives: on or off (default: saved, "
                                     "else on)."),
                      QStringLiteral("on|off")});
    parser.addOption({QStringLiteral("verbose"), QStringLiteral("Show each exchange's result.")});
    AddJsonOption(parser);
    QString portName;
    if (const auto done = ParsePortCommand(parser, args, portName))
        return *done;
    const QString command = args.first();

    QDateTime moment = QDateTime::currentDateTime();
    if (parser.isSet(QStringLiteral("at"))) {
        const QString at = parser.value(QStringLiteral("at")).trimmed();
        // Only the fields are sent: held without a zone, a time inside a
        // clock change stays as typed.
        const QStringList parts = at.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QDate date = QDate::fromString(parts.value(0), QStringLiteral("yyyy-MM-dd"));
        QTime time = QTime::fromString(parts.value(1), QStringLiteral("HH:mm"));
        if (!time.isValid())
            time = QTime::fromString(parts.value(1), QStringLiteral("HH:mm:ss"));
        moment = parts.size() == 2 && date.isValid() && time.isValid() ? QDateTime(date, time, Qt::UTC) : QDateTime();
        // The Vexa counts years from 2000 in one byte.
        if (!moment.isValid() || moment.date().year() < 2000 || moment.date().year() > 2255)
            return UsageError(command, QStringLiteral("--at wants \"YYYY-MM-DD HH:MM\" (years 2000 to 2255)"));
    }
    bool deviceClock = LoadUseRealtimeClock();
    if (parser.isSet(QStringLiteral("device-clock"))) {
        const QString v = parser.value(QStringLiteral("device-clock"));
        if (v != QLatin1String("on") && v != QLatin1String("off"))
            return UsageError(command, QStringLiteral("--device-clock wants on or off"));
        deviceClock = v == QLatin1String("on");
    }

    const bool kept = SaveUseRealtimeClock(deviceClock);
    if (!kept)
        QTextStream(stderr) << "pellkit-cli " << command << ": the option could not be saved\n";

    TQtSerialPort port;
    const int result = SendClock(port, portName, moment, deviceClock, VerboseLines(parser));
    const int status = ReportSettingsResult(result, true);
    if (JsonRequested(parser)) {
        // The fields as sent, without a zone: the Vexa keeps local time.
        const QString sent = moment.toString(QStringLiteral("yyyy-MM-ddTHH:mm:00"));
        PrintJson(QJsonObject{{"format", "pellkit-set-clock"},
                              {"version", 1},
                              {"port", portName},
                              {"dateTime", sent},
                              {"deviceClock", deviceClock},
                              {"saved", kept},
                              {"set", result == 0},
                              {"exitStatus", status},
                              {"error", result == 0 ? QJsonValue() : QJsonValue(ResultJson(result))}});
    }
    return status;
}
