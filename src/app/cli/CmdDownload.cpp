// pellkit-cli download --port PORT [--dest DIR] [--delete] [--card-format N]
// [--vu-format N] [--json]: the whole download as the window runs it: the destination
// test, the worker, then the storage pass. The Vexa keeps its data file
// unless --delete is given, and even then only once the data is spooled.

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliSession.h"
#include "CliStore.h"

#include "uArchiveStore.h"
#include "uArchiveWriter.h"
#include "uArdoVexa.h"
#include "uCommitTexts.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uSpool.h"
#include "uTranslation.h"

#include <QJsonObject>
#include <QLoggingCategory>
#include <QTextStream>

namespace {

QJsonValue EndCommandJson(std::uint8_t endCommand)
{
    if (endCommand == 0)
        return QJsonValue();
    return QString::number(endCommand, 16).toUpper() + QLatin1Char('h');
}

} // namespace

void ReportSpoolLeftovers()
{
    const QStringList files = SpoolLeftovers();
    if (files.isEmpty())
        return;
    if (CurrentLanguage() == 0)
        SetCurrentLanguage(DefaultLanguage());
    const QString text = MessageText(msg::SpoolLeftover); // before a line is begun: it may throw
    for (const QString& f : files)
        QTextStream(stderr) << "warning: " << TextWithPath(text, f) << '\n';
}

int RunDownload(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral(
                            "Downloads the Vexa's data file, checks it and splits it into named archives in the "
                            "destination directory.\nThe Vexa keeps its data file unless --delete is given; even "
                            "then it is told to delete it only once the data is safe on disk.\n"
                            "Ctrl-C cancels after the current block."));
    AddPortOption(parser);
    AddStoreOptions(parser);
    parser.addOption({QStringLiteral("delete"),
                      QStringLiteral("Let the Vexa delete its data file once the data is safe.")});
    parser.addOption({QStringLiteral("force-delete"),
                      QStringLiteral("As --delete, and when entries of the data file cannot be read, let the Vexa "
                                     "delete it all the same once the whole file is kept in the downloads folder "
                                     "(the Vexa's data is read once more and must match it). The unreadable "
                                     "entries then exist only there.")});
    parser.addOption({QStringLiteral("verbose"), QStringLiteral("Show the check pass's diagnostic lines.")});
    AddJsonOption(parser);
    QString portName;
    if (const auto done = ParsePortCommand(parser, args, portName))
        return *done;
    const QString command = args.first();
    const auto options = StoreOptionsArgument(parser, command);
    if (!options)
        return kExitUsage;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("pellkit.download.debug=false"));

    const bool json = JsonRequested(parser);
    QJsonObject document{{"format", "pellkit-download"}, {"version", 1}, {"port", portName},
                         {"destination", options->destination}};
    const auto finish = [&](int status) {
        if (json) {
            document.insert("exitStatus", status);
            PrintJson(document);
        }
        return status;
    };

    if (TestDestination(options->destination)) {
        QTextStream(stderr) << "pellkit-cli " << command << ": " << MessageText(msg::DestinationUnusable) << '\n';
        document.insert("error", QJsonObject{{"text", QStringLiteral("the destination cannot be written")}});
        return finish(kExitStorage);
    }

    InstallInterruptHandler();
    const bool forceDelete = parser.isSet(QStringLiteral("force-delete"));
    TCliSession session;
    session.keepData = !parser.isSet(QStringLiteral("delete")) && !forceDelete;
    TDownloadOutcome outcome = RunCliSession(portName, session);
    TCliReporter reporter(json);
    const TCommitSummary summary = CommitDownload(outcome, CommitOptions(*options), reporter);
    const int status = CommitExitStatus(summary);
    reporter.AddJson(document, summary, status);
    document.insert("endCommand", EndCommandJson(summary.endCommand));
    document.insert("endConfirmed", summary.endCommand != 0 && summary.endConfirmed);
    document.insert("vexaDeleted", summary.endCommand == 0x83 && summary.endConfirmed);
    if (status == kExitOk || summary.unreadable == 0 || summary.keptCopy.isEmpty())
        return finish(status);
    if (!forceDelete) {
        QTextStream(stderr) << "pellkit-cli " << command
                            << ": to let the Vexa delete its data all the same, run the download again with "
                               "--force-delete\n";
        return finish(status);
    }
    // The user lets the unreadable entries go from the Vexa: its data is
    // read once more and deleted only if it is the file kept on disk.
    TCliSession confirm;
    confirm.keepData = false;
    confirm.confirmedCopy = summary.keptCopy;
    const TDownloadOutcome again = RunCliSession(portName, confirm);
    document.insert("deletedAnyway", again.result == kResultOk);
    if (again.result == kResultOk) {
        QTextStream(stderr) << "note: " << TextWithPath(MessageText(msg::DeletedAnyway), summary.keptCopy) << '\n';
        document["vexaDeleted"] = true;
    } else if (again.result == kResultBadDataFile) {
        QTextStream(stderr) << "error: " << TextWithPath(MessageText(msg::DeleteAnywayMismatch), summary.keptCopy)
                            << '\n';
    } else {
        PrintResultError(again.result, again.portError);
    }
    return finish(status);
}
