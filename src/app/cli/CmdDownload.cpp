// pellkit-cli download --port PORT [--dest DIR] [--delete] [--card-format N]
// [--vu-format N]: the whole download as the window runs it: the destination
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

#include <QLoggingCategory>
#include <QTextStream>

void ReportSpoolLeftovers()
{
    const QStringList files = SpoolLeftovers();
    if (files.isEmpty())
        return;
    if (CurrentLanguage() == 0)
        SetCurrentLanguage(VexaSettings()->value(QStringLiteral("Language"), lang::English).toInt());
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
    AddLanguageOption(parser);
    QString portName;
    if (const auto done = ParsePortCommand(parser, args, true, portName))
        return *done;
    const QString command = args.first();
    const auto options = StoreOptionsArgument(parser, command);
    if (!options)
        return kExitUsage;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("pellkit.download.debug=false"));

    if (TestDestination(options->destination)) {
        QTextStream(stderr) << "pellkit-cli " << command << ": " << MessageText(msg::DestinationUnusable) << '\n';
        return kExitFailed;
    }

    InstallInterruptHandler();
    const bool forceDelete = parser.isSet(QStringLiteral("force-delete"));
    TCliSession session;
    session.keepData = !parser.isSet(QStringLiteral("delete")) && !forceDelete;
    TDownloadOutcome outcome = RunCliSession(portName, session);
    TCliReporter reporter;
    const TCommitSummary summary = CommitDownload(outcome, CommitOptions(*options), reporter);
    if (summary.Complete())
        return kExitOk;
    if (summary.unreadable == 0 || summary.keptCopy.isEmpty())
        return kExitFailed;
    if (!forceDelete) {
        QTextStream(stderr) << "pellkit-cli " << command
                            << ": to let the Vexa delete its data all the same, run the download again with "
                               "--force-delete\n";
        return kExitFailed;
    }
    // The user lets the unreadable entries go from the Vexa: its data is
    // read once more and deleted only if it is the file kept on disk.
    TCliSession confirm;
    confirm.keepData = false;
    confirm.confirmedCopy = summary.keptCopy;
    const TDownloadOutcome again = RunCliSession(portName, confirm);
    if (again.result == kResultOk) {
        QTextStream(stderr) << "note: " << TextWithPath(MessageText(msg::DeletedAnyway), summary.keptCopy) << '\n';
    } else if (again.result == kResultBadDataFile) {
        QTextStream(stderr) << "error: " << TextWithPath(MessageText(msg::DeleteAnywayMismatch), summary.keptCopy)
                            << '\n';
    } else {
        PrintResultError(again.result, again.portError);
    }
    return kExitFailed;
}
