// pellkit-cli probe --port PORT: is a Vexa there, and does it answer?

#include "CliCommands.h"
#include "CliCommon.h"

#include "uArdoVexa.h"
#include "uQtSerialPort.h"

#include <QTextStream>

int RunProbe(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral("Runs the configuration handshake with the Vexa, prints its two values "
                                       "and ends the settings mode again."));
    AddPortOption(parser);
    QString portName;
    if (const auto done = ParsePortCommand(parser, args, false, portName))
        return *done;

    TQtSerialPort port;
    if (!OpenPort(port, portName))
        return kExitFailed;
    std::uint16_t value1 = 0, value2 = 0;
    int code = kResultOk;
    try {
        code = ConfigurationHandshake(port, value1, value2);
        // The handshake put the Vexa in settings mode: leave it again.
        if (code == kResultOk)
            EndSettings(port);
    } catch (const ESerialPort& e) {
        port.Close();
        PrintError(kResultBadFrame, QString::fromLocal8Bit(e.what()));
        return kExitFailed;
    }
    port.Close();
    if (code != kResultOk) {
        PrintError(code);
        return kExitFailed;
    }
    QTextStream(stdout) << "Vexa answered: " << value1 << ", " << value2 << '\n';
    return kExitOk;
}
