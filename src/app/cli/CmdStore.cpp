// pellkit-cli store FILE [--dest DIR] [--card-format N] [--vu-format N]: the
// storage pass over a saved data file, one line per archive.

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliImage.h"
#include "CliStore.h"

#include "uArchiveStore.h"
#include "uSpool.h"

#include <QCommandLineParser>

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

    auto bytes = ReadInputFile(args.first(), file);
    if (!bytes)
        return kExitFailed;
    TMemoryStream stream(std::move(*bytes));
    TCliReporter reporter;
    const TStoreSummary summary = StoreContainer(stream, *options, reporter);
    if (summary.allSafe)
        ForgetSpooled(file); // a spooled download, now stored, is done
    return summary.allSafe ? kExitOk : kExitFailed;
}
