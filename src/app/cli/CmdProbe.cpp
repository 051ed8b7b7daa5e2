// pellkit-cli probe --port PORT [--json]: is a Vexa there, and does it answer?

#include "CliCommands.h"
#include "CliCommon.h"

#include "uArdoVexa.h"
#include "uQtSerialPort.h"

#include <QJsonArray>
#include <QTextStream>

int RunProbe(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral("Runs the configuration handshake with the Vexa, prints its two values "
                                       "and ends the settings mode again."));
    AddPortOption(parser);
    AddJsonOption(parser);
    QString portName;
    if (const auto done = ParsePortCommand(parser, args, portName))
        return *done;
    const bool json = JsonRequested(parser);
    const auto finish = [&](int code, const QString& detail, const QJsonValue& values) {
        const int status = ExitStatusOfResult(code);
        if (code != kResultOk)
            PrintError(code, detail);
        if (json)
            PrintJson(QJsonObject{{"format", "pellkit-probe"},
                                  {"version", 1},
                                  {"port", portName},
                                  {"answered", code == kResultOk},
                                  {"values", values},
                                  {"exitStatus", status},
                                  {"error", code == kResultOk ? QJsonValue() : QJsonValue(ResultJson(code, detail))}});
        return status;
    };

    TQtSerialPort port;
    port.SetName(portName.toStdString());
    try {
        port.Open();
    } catch (const ESerialPort& e) {
        return finish(kResultBadFrame, QString::fromLocal8Bit(e.what()), QJsonValue());
    }
    std::uint16_t value1 = 0, value2 = 0;
    int code = kResultOk;
    try {
        code = ConfigurationHandshake(port, value1, value2);
        // The handshake put the Vexa in settings mode: leave it again.
        if (code == kResultOk)
            EndSettings(port);
    } catch (const ESerialPort& e) {
        port.Close();
        return finish(kResultBadFrame, QString::fromLocal8Bit(e.what()), QJsonValue());
    }
    port.Close();
    if (code != kResultOk)
        return finish(code, {}, QJsonValue());
    if (!json)
        QTextStream(stdout) << "Vexa answered: " << value1 << ", " << value2 << '\n';
    return finish(kResultOk, {}, QJsonArray{value1, value2});
}
