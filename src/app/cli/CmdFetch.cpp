// pellkit-cli fetch --port PORT --output FILE: the Vexa's raw data file,
// copied to FILE by the download's own course, unchecked. The Vexa is only
// ever told to keep its data.

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliSession.h"

#include "uArdoVexa.h"
#include "uDownloadCommit.h"
#include "uFileSystem.h"
#include "uMemoryStream.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace {

// Temporary file, flushed and synced, renamed over FILE: never half a file.
bool Save(QSaveFile& file, const TMemoryStream& data, QString& reason)
{
    const auto size = static_cast<qint64>(data.Size());
    if (file.write(reinterpret_cast<const char*>(data.Buffer().data()), size) != size || !SyncFile(file)
        || !file.commit()) {
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
    parser.addOption({QStringLiteral("force"), QStringLiteral("Replace FILE when it exists.")});
    QString portName;
    if (const auto done = ParsePortCommand(parser, args, portName))
        return *done;
    const QString command = args.first();
    const QString output = parser.value(QStringLiteral("output"));
    if (output.isEmpty())
        return UsageError(command, QStringLiteral("--output is required"));

    if (QFileInfo::exists(output) && !QFileInfo(output).isDir() && !parser.isSet(QStringLiteral("force"))) {
        QTextStream(stderr) << "pellkit-cli " << command << ": " << output
                            << " exists; give --force to replace it\n";
        return kExitStorage;
    }
    // Fail on an unwritable destination before the Vexa is touched.
    QSaveFile file(output);
    if (QFileInfo(output).isDir() || !file.open(QIODevice::WriteOnly)) {
        QTextStream(stderr) << "pellkit-cli " << command << ": cannot write " << output << ": "
                            << (QFileInfo(output).isDir() ? QStringLiteral("is a directory") : file.errorString())
                            << '\n';
        return kExitStorage;
    }

    InstallInterruptHandler();
    TCliSession session;
    session.checkData = false;
    const TDownloadOutcome outcome = RunCliSession(portName, session);
    if (outcome.result != kResultOk || !outcome.data) {
        PrintError(outcome.linkResult, outcome.portError);
        return outcome.result == kResultOk ? kExitDevice : ExitStatusOfResult(outcome.result);
    }
    const TMemoryStream& data = *outcome.data;
    QString reason;
    if (!Save(file, data, reason)) {
        QTextStream(stderr) << "pellkit-cli " << command << ": cannot write " << output << ": " << reason
                            << " (the Vexa keeps its data)\n";
        return kExitStorage;
    }
    QTextStream(stdout) << "Fetched " << data.Size() << " bytes into " << output << '\n';
    return kExitOk;
}
