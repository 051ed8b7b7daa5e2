#include "CliStore.h"

#include "CliCommon.h"

#include "uCommitTexts.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <QTextStream>

namespace {

// --NAME N, else the saved value, else 0; false (reported) when N is no number.
bool FormatArgument(const QCommandLineParser& parser, const QSettings& settings, const QString& option,
                    const QString& key, const QString& command, int& format)
{
    if (!parser.isSet(option)) {
        format = settings.value(key, 0).toInt();
        return true;
    }
    bool ok = false;
    format = parser.value(option).toInt(&ok);
    if (!ok) {
        UsageError(command, QStringLiteral("--%1 wants a number (0 DDD, 1 C1B/V1B, 2 TGD, 3 ESM)").arg(option));
        return false;
    }
    return true;
}

} // namespace

void TCliReporter::InformationBox(const QString& text) { QTextStream(stderr) << text << '\n'; }

void TCliReporter::MessageBox(const QString& text) { QTextStream(stderr) << text << '\n'; }

void TCliReporter::StatusLine(const QString&) {}

void TCliReporter::ArchiveStored(const TArchiveReport& report)
{
    QTextStream out(stdout);
    switch (report.outcome) {
    case TArchiveOutcome::Written:
        out << MessageText(msg::StoreWrote).arg(report.fileName).arg(report.bytes) << '\n';
        break;
    case TArchiveOutcome::SkippedIdentical:
        out << MessageText(msg::StoreSkippedIdentical).arg(report.fileName) << '\n';
        break;
    case TArchiveOutcome::WrittenUnderOtherName:
        out << MessageText(msg::StoreWroteOtherName).arg(report.fileName) << '\n';
        break;
    case TArchiveOutcome::Failed: // the message box has said it
        break;
    }
}

void TCliReporter::EntryNotArchived(const TEntryNote& note)
{
    QTextStream(stderr) << "note: " << EntryNoteText(note) << '\n';
}

void TCliReporter::DataFileKept(TKeptIn where, const QString& path)
{
    QTextStream(stderr) << (where == TKeptIn::Spool ? "warning: " : "note: ") << KeptText(where, path) << '\n';
}

void TCliReporter::SpoolFailed(const QString& reason)
{
    QTextStream(stderr) << "warning: " << MessageText(msg::SpoolFailed).arg(reason) << '\n';
}

void TCliReporter::EndNotConfirmed(std::uint8_t endCommand, int result)
{
    QTextStream(stderr) << "warning: " << EndNotConfirmedText(endCommand) << " (" << CliResultText(result) << ")\n";
}

void TCliReporter::UnreadableKept(int entries, const QString& path)
{
    QTextStream(stderr) << "error: " << UnreadableKeptText(entries, path) << '\n';
}

void TCliReporter::DownloadFailed(int result, const QString& portError) { PrintResultError(result, portError); }

TCommitOptions CommitOptions(const TStoreOptions& store)
{
    TCommitOptions options;
    options.store = store;
    return options;
}

void AddStoreOptions(QCommandLineParser& parser)
{
    parser.addOption({QStringLiteral("dest"),
                      QStringLiteral("The destination directory (default: the program's saved choice)."),
                      QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("card-format"),
                      QStringLiteral("Names of card archives: 0 .DDD, 1 .C1B, 2 .TGD, 3 .ESM (default: saved)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("vu-format"),
                      QStringLiteral("Names of VU archives: 0 .DDD, 1 .V1B, 2 .TGD, 3 .ESM (default: saved)."),
                      QStringLiteral("N")});
}

std::optional<TStoreOptions> StoreOptionsArgument(const QCommandLineParser& parser, const QString& command)
{
    const auto settings = VexaSettings();
    TStoreOptions options;
    options.destination = parser.isSet(QStringLiteral("dest")) ? parser.value(QStringLiteral("dest"))
                                                               : settings->value(QStringLiteral("DestDir")).toString();
    if (options.destination.isEmpty()) {
        UsageError(command, QStringLiteral("no destination directory: give --dest DIR, or choose one in the program"));
        return std::nullopt;
    }
    if (!FormatArgument(parser, *settings, QStringLiteral("card-format"), QStringLiteral("defaultCardFileformat"),
                        command, options.cardFormat)
        || !FormatArgument(parser, *settings, QStringLiteral("vu-format"), QStringLiteral("defaultVehicleFileformat"),
                           command, options.vehicleFormat))
        return std::nullopt;
    return options;
}
