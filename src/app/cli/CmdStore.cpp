// pellkit-cli store FILE [--dest DIR] [--card-format N] [--vu-format N]: the
// storage pass over a saved data file, one line per archive.

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliImage.h"

#include "uArchiveStore.h"
#include "uSpool.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <QCommandLineParser>
#include <QTextStream>

namespace {

// The window shows boxes; here they are lines on stderr, the archives on stdout.
class TCliReporter : public IStoreReporter {
public:
    void InformationBox(const QString& text) override { QTextStream(stderr) << text << '\n'; }
    void MessageBox(const QString& text) override { QTextStream(stderr) << text << '\n'; }
    void StatusLine(const QString&) override {}
    void ArchiveStored(const TArchiveReport& report) override
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
};

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

int RunStore(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral("Splits a saved Vexa data file (as 'fetch' writes it) into named archives "
                                       "in the destination directory.\nNothing is ever overwritten. The exit "
                                       "status is 0 only when every download in FILE is stored."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The data file."));
    parser.addOption({QStringLiteral("dest"),
                      QStringLiteral("The destination directory (default: the program's saved choice)."),
                      QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("card-format"),
                      QStringLiteral("Names of card archives: 0 .DDD, 1 .C1B, 2 .TGD, 3 .ESM (default: saved)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("vu-format"),
                      QStringLiteral("Names of VU archives: 0 .DDD, 1 .V1B, 2 .TGD, 3 .ESM (default: saved)."),
                      QStringLiteral("N")});
    AddLanguageOption(parser);
    if (const auto done = ParseArguments(parser, args))
        return *done;
    const QString command = args.first();
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return UsageError(command, files.isEmpty() ? QStringLiteral("FILE is required")
                                                   : QStringLiteral("unexpected argument '%1'").arg(files.at(1)));
    if (!ApplyLanguage(parser, command))
        return kExitUsage;

    const auto settings = VexaSettings();
    TStoreOptions options;
    options.destination = parser.isSet(QStringLiteral("dest")) ? parser.value(QStringLiteral("dest"))
                                                               : settings->value(QStringLiteral("DestDir")).toString();
    if (options.destination.isEmpty())
        return UsageError(command, QStringLiteral("no destination directory: give --dest DIR, or choose one in "
                                                  "the program"));
    if (!FormatArgument(parser, *settings, QStringLiteral("card-format"), QStringLiteral("defaultCardFileformat"),
                        command, options.cardFormat)
        || !FormatArgument(parser, *settings, QStringLiteral("vu-format"), QStringLiteral("defaultVehicleFileformat"),
                           command, options.vehicleFormat))
        return kExitUsage;

    QString error;
    auto bytes = ReadImageFile(files.first(), error);
    if (!bytes) {
        QTextStream(stderr) << "pellkit-cli " << command << ": " << error << '\n';
        return kExitFailed;
    }
    TMemoryStream stream(std::move(*bytes));
    TCliReporter reporter;
    const TStoreSummary summary = StoreContainer(stream, options, reporter);
    if (summary.allSafe)
        ForgetSpooled(files.first()); // a spooled download, now stored, is done
    return summary.allSafe ? kExitOk : kExitFailed;
}
