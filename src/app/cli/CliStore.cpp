#include "CliStore.h"

#include "CliCommon.h"

#include "uArdoVexa.h"
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

const char* ArchiveOutcomeName(TArchiveOutcome outcome)
{
    switch (outcome) {
    case TArchiveOutcome::Written: return "written";
    case TArchiveOutcome::SkippedIdentical: return "already-archived";
    case TArchiveOutcome::WrittenUnderOtherName: return "written-under-other-name";
    case TArchiveOutcome::Failed: break;
    }
    return "failed";
}

const char* NotArchivedName(TNotArchived why)
{
    switch (why) {
    case TNotArchived::OverviewOnly: return "overview-only";
    case TNotArchived::NothingToStore: return "nothing-to-store";
    case TNotArchived::UnderMinimum: return "under-minimum";
    case TNotArchived::PartsNotArchived: return "parts-not-archived";
    case TNotArchived::Unreadable: break;
    }
    return "unreadable";
}

const char* KeptInName(TKeptIn where)
{
    switch (where) {
    case TKeptIn::Vexa: return "vexa";
    case TKeptIn::Downloads: return "downloads";
    case TKeptIn::Spool: return "spool";
    case TKeptIn::SourceFile: break;
    }
    return "source-file";
}

} // namespace

void TCliReporter::InformationBox(const QString& text) { QTextStream(stderr) << text << '\n'; }

void TCliReporter::MessageBox(const QString& text) { QTextStream(stderr) << text << '\n'; }

void TCliReporter::StatusLine(const QString&) {}

void TCliReporter::ArchiveStored(const TArchiveReport& report)
{
    if (json_) {
        QJsonObject archive{{"name", report.name}, {"outcome", ArchiveOutcomeName(report.outcome)}};
        archive.insert("fileName", report.fileName.isEmpty() ? QJsonValue() : QJsonValue(report.fileName));
        archive.insert("bytes", report.outcome == TArchiveOutcome::Failed ? QJsonValue() : QJsonValue(report.bytes));
        archives_.append(archive);
        return;
    }
    // Scripts read these lines: the same English in every language.
    QTextStream out(stdout);
    switch (report.outcome) {
    case TArchiveOutcome::Written:
        out << QStringLiteral("wrote %1 (%2 bytes)").arg(report.fileName).arg(report.bytes) << '\n';
        break;
    case TArchiveOutcome::SkippedIdentical:
        out << QStringLiteral("already archived as %1").arg(report.fileName) << '\n';
        break;
    case TArchiveOutcome::WrittenUnderOtherName:
        out << QStringLiteral("wrote %1 (name taken)").arg(report.fileName) << '\n';
        break;
    case TArchiveOutcome::Failed: // the message box has said it
        break;
    }
}

void TCliReporter::EntryNotArchived(const TEntryNote& note)
{
    if (json_) {
        QJsonObject entry{{"entry", note.number},
                          {"offset", static_cast<qint64>(note.offset)},
                          {"reason", NotArchivedName(note.why)}};
        if (!note.detail.isEmpty())
            entry.insert("detail", note.detail);
        notArchived_.append(entry);
    }
    QTextStream(stderr) << "note: " << EntryNoteText(note) << '\n';
}

void TCliReporter::DataFileKept(TKeptIn where, const QString& path)
{
    if (json_)
        kept_.append(QJsonObject{{"in", KeptInName(where)}, {"path", path.isEmpty() ? QJsonValue() : QJsonValue(path)}});
    QTextStream(stderr) << (where == TKeptIn::Spool ? "warning: " : "note: ") << KeptText(where, path) << '\n';
}

void TCliReporter::SpoolFailed(const QString& reason)
{
    spoolError_ = reason;
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

void TCliReporter::DownloadFailed(int result, const QString& portError)
{
    if (json_)
        error_ = ResultJson(result, portError);
    PrintResultError(result, portError);
}

void TCliReporter::AddJson(QJsonObject& document, const TCommitSummary& summary, int exitStatus) const
{
    document.insert("complete", summary.Complete());
    document.insert("exitStatus", exitStatus);
    document.insert("archives", archives_);
    document.insert("notArchived", notArchived_);
    document.insert("unreadableEntries", summary.unreadable);
    document.insert("kept", kept_);
    document.insert("error", error_.isEmpty() ? QJsonValue() : QJsonValue(error_));
    document.insert("spoolError", spoolError_.isEmpty() ? QJsonValue() : QJsonValue(spoolError_));
}

int CommitExitStatus(const TCommitSummary& summary)
{
    if (summary.Complete())
        return kExitOk;
    if (summary.unreadable > 0)
        return kExitData;
    if (!summary.stored && summary.result != kResultOk)
        return ExitStatusOfResult(summary.result);
    if (!summary.stored || summary.store.failed > 0)
        return kExitStorage;
    // Every archive that was to be written is, but the walk stopped at damaged data.
    return kExitData;
}

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
