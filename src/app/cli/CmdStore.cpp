// pellkit-cli store FILE [--dest DIR] [--card-format N] [--vu-format N]: the
// storage pass over a saved data file, one line per archive.

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliImage.h"
#include "CliStore.h"

#include "uArchiveStore.h"
#include "uArchiveWriter.h"
#include "uDownloadCommit.h"
#include "uMessageCodes.h"
#include "uSpool.h"
#include "uTranslation.h"

#include <QCommandLineParser>
#include <QTextStream>

int RunStore(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral("Splits a saved Vexa data file (as 'fetch' writes it, or a download left in "
                                       "the spool) into named archives in the destination directory.\nNothing is "
                                       "ever overwritten. The exit status is 0 only when every download in FILE is "
                                       "stored; a spool file that is stored completely leaves the spool."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The data file."));
    AddStoreOptions(parser);
    AddLanguageOption(parser);
    QString file;
    if (const auto done = ParseFileCommand(parser, args, true, file))
        return *done;
    const auto options = StoreOptionsArgument(parser, args.first());
    if (!options)
        return kExitUsage;

    if (TestDestination(options->destination)) {
        QTextStream(stderr) << "pellkit-cli " << args.first() << ": " << MessageText(msg::DestinationUnusable) << '\n';
        return kExitFailed;
    }
    auto bytes = ReadInputFile(args.first(), file);
    if (!bytes)
        return kExitFailed;
    // Stored as a download is: a spool file stored completely goes on to the
    // downloads folder.
    TDownloadOutcome outcome;
    outcome.result = 0;
    outcome.data = std::make_unique<TMemoryStream>(std::move(*bytes));
    outcome.sourceFile = file;
    if (IsSpoolFile(file))
        outcome.spoolFile = file;
    TCliReporter reporter;
    return CommitDownload(outcome, CommitOptions(*options), reporter).Complete() ? kExitOk : kExitFailed;
}
