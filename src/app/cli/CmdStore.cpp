// pellkit-cli store FILE... [--dest DIR] [--card-format N] [--vu-format N]
// [--json]: the storage pass over saved data files, one line per archive.

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
#include <QJsonArray>
#include <QTextStream>

namespace {

// One data file stored as a download is: a spool file stored completely
// goes on to the downloads folder. Its exit status.
int StoreFile(const QString& command, const QString& file, const TStoreOptions& options, bool json, QJsonArray& files)
{
    QString error;
    auto bytes = ReadImageFile(file, error);
    if (!bytes) {
        files.append(UnreadableFileEntry(command, file, error, kExitData));
        return kExitData;
    }
    TDownloadOutcome outcome;
    outcome.result = 0;
    outcome.data = std::make_unique<TMemoryStream>(std::move(*bytes));
    outcome.sourceFile = file == QLatin1String("-") ? QStringLiteral("standard input") : file;
    if (IsSpoolFile(file))
        outcome.spoolFile = file;
    TCliReporter reporter(json);
    const TCommitSummary summary = CommitDownload(outcome, CommitOptions(options), reporter);
    const int status = CommitExitStatus(summary);
    QJsonObject entry{{"path", file}};
    reporter.AddJson(entry, summary, status);
    files.append(entry);
    return status;
}

} // namespace

int RunStore(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral("Splits saved Vexa data files (as 'fetch' writes them, or downloads left in "
                                       "the spool or kept in the downloads folder) into named archives in the "
                                       "destination directory.\nNothing is ever overwritten: an archive already "
                                       "there is named, not written again. The exit status is 0 only when every "
                                       "download in every FILE is stored; a spool file that is stored completely "
                                       "moves on to the downloads folder."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A data file; - reads standard input."),
                                 QStringLiteral("FILE..."));
    AddStoreOptions(parser);
    AddJsonOption(parser);
    QStringList paths;
    if (const auto done = ParseFilesCommand(parser, args, paths))
        return *done;
    const QString command = args.first();
    const auto options = StoreOptionsArgument(parser, command);
    if (!options)
        return kExitUsage;
    const bool json = JsonRequested(parser);

    if (TestDestination(options->destination)) {
        const QString text = MessageText(msg::DestinationUnusable);
        QTextStream(stderr) << "pellkit-cli " << command << ": " << text << '\n';
        if (json)
            PrintJson(QJsonObject{{"format", "pellkit-store"},
                                  {"version", 1},
                                  {"destination", options->destination},
                                  {"exitStatus", kExitStorage},
                                  {"error", QJsonObject{{"text", QStringLiteral("the destination cannot be written")}}},
                                  {"files", QJsonArray()}});
        return kExitStorage;
    }
    int status = kExitOk;
    QJsonArray files;
    for (const QString& path : paths)
        status = WorseExit(status, StoreFile(command, path, *options, json, files));
    if (json)
        PrintJson(QJsonObject{{"format", "pellkit-store"},
                              {"version", 1},
                              {"destination", options->destination},
                              {"exitStatus", status},
                              {"error", QJsonValue()},
                              {"files", files}});
    return status;
}
