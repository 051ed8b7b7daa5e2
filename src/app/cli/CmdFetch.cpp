// pellkit-cli fetch --port PORT --output FILE: the Vexa's raw data file,
// copied to FILE.  The Vexa is only ever told to keep its data.

#include "CliCommands.h"
#include "CliCommon.h"

#include "uArdoVexa.h"
#include "uMemoryStream.h"
#include "uQtSerialPort.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <unistd.h>

namespace {

// Temporary file, flushed and synced, renamed over FILE: never half a file.
bool Save(QSaveFile& file, const TMemoryStream& data, QString& reason)
{
    const auto size = static_cast<qint64>(data.Size());
    if (file.write(reinterpret_cast<const char*>(data.Buffer().data()), size) != size || !file.flush()
        || fsync(file.handle()) != 0 || !file.commit()) {
        reason = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace

int RunFetch(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral("Copies the Vexa's raw data file into FILE. The Vexa keeps its data.\n"
                                       "Ctrl-C stops after the current block."));
    AddPortOption(parser);
    parser.addOption({{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("The file to write."),
                      QStringLiteral("FILE")});
    QString portName;
    if (const auto done = ParsePortCommand(parser, args, false, portName))
        return *done;
    const QString command = args.first();
    const QString output = parser.value(QStringLiteral("output"));
    if (output.isEmpty())
        return UsageError(command, QStringLiteral("--output is required"));

    // Fail on an unwritable destination before the Vexa is touched.
    QSaveFile file(output);
    if (QFileInfo(output).isDir() || !file.open(QIODevice::WriteOnly)) {
        QTextStream(stderr) << "pellkit-cli " << command << ": cannot write " << output << ": "
                            << (QFileInfo(output).isDir() ? QStringLiteral("is a directory") : file.errorString())
                            << '\n';
        return kExitFailed;
    }

    InstallInterruptHandler();
    TQtSerialPort port;
    if (!OpenPort(port, portName))
        return kExitFailed;

    TMemoryStream data;
    TProgressBar bar;
    int code = kResultOk;
    int finish = kResultOk;
    bool cancelled = false;
    try {
        std::uint16_t value1 = 0, value2 = 0;
        code = OpenDataFile(0x01, port, value1, value2);
        if (code == kResultOk && Interrupted()) {
            cancelled = true;
        } else if (code == kResultOk) {
            code = ReadDataFile(data, port, [&bar](std::int32_t total, std::int32_t received, bool& cancel) {
                bar.Update(received, total);
                if (Interrupted())
                    cancel = true;
            });
            bar.Finish();
            cancelled = Interrupted() || code == kResultCancelled;
            if (!cancelled && (code == kResultEndOfFile || code == kResultBlockRefused || code == kResultEmptyFile))
                finish = FinishAndKeep(port);
        }
    } catch (const ESerialPort& e) {
        bar.Finish();
        port.Close();
        PrintError(kResultBadFrame, QString::fromLocal8Bit(e.what()));
        return kExitFailed;
    }
    port.Close();

    if (cancelled) {
        PrintError(kResultCancelled);
        return kExitFailed;
    }
    if (code != kResultEndOfFile) {
        PrintError(code);
        return kExitFailed;
    }
    QString reason;
    if (!Save(file, data, reason)) {
        QTextStream(stderr) << "pellkit-cli " << command << ": cannot write " << output << ": " << reason
                            << " (the Vexa keeps its data)\n";
        return kExitFailed;
    }
    QTextStream(stdout) << "Fetched " << data.Size() << " bytes into " << output << '\n';
    if (finish != kResultOk) {
        PrintError(finish, QStringLiteral("ending the download"));
        return kExitFailed;
    }
    return kExitOk;
}
