// pellkit-cli download --port PORT [--dest DIR] [--delete] [--card-format N]
// [--vu-format N]: the whole download as the window runs it: the destination
// test, the worker, then the storage pass. The Vexa keeps its data file
// unless --delete is given, and even then only once the data is spooled.

#include "CliCommands.h"
#include "CliCommon.h"

#include "uArchiveStore.h"
#include "uArdoVexa.h"
#include "uArchiveWriter.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uQtSerialPort.h"
#include "uSpool.h"
#include "uThreadDownload.h"
#include "uTranslation.h"

#include <QEventLoop>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTextStream>
#include <QTimer>

#include <chrono>
#include <memory>

#include <unistd.h>

namespace {

// A port given as a device path keeps that path whatever COM name the
// worker gives it.
class TDevicePort : public TQtSerialPort {
public:
    explicit TDevicePort(const QString& device) { TQtSerialPort::SetName(device.toStdString()); }
    void SetName(const std::string&) override {}
};

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
        case TArchiveOutcome::Failed:  // its message has been shown
            break;
        }
    }
};

// Bytes, percent, rate and time left, redrawn in place on a terminal.
class TDownloadBar {
public:
    TDownloadBar() : enabled_(isatty(STDERR_FILENO) == 1), start_(std::chrono::steady_clock::now()) {}
    void Update(qint64 received, qint64 total)
    {
        if (!enabled_)
            return;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        QString text = ProgressText(received, total, seconds);
        if (total > 0 && received < total && seconds > 0.5 && received > 0) {
            const auto left = static_cast<qint64>(static_cast<double>(total - received) * seconds
                                                  / static_cast<double>(received));
            text += QStringLiteral("  %1:%2 left").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0'));
        }
        const auto width = static_cast<int>(text.size());
        QTextStream(stderr) << '\r' << text << QString(std::max(0, width_ - width), QLatin1Char(' ')) << Qt::flush;
        width_ = std::max(width_, width);
        drawn_ = true;
    }
    void Finish()
    {
        if (drawn_)
            QTextStream(stderr) << '\n' << Qt::flush;
        drawn_ = false;
    }

private:
    bool enabled_;
    bool drawn_ = false;
    int width_ = 0;
    std::chrono::steady_clock::time_point start_;
};

bool FormatOption(const QCommandLineParser& parser, const QSettings& settings, const QString& option,
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

struct TOutcome {
    int result = kResultBadFrame;
    std::unique_ptr<TMemoryStream> data;
    QString spoolFile;
    QString spoolError;
    QString portError;
};

TOutcome RunWorker(ISerialPort& port, int portNumber, bool keepData)
{
    TOutcome outcome;
    TThreadDownload worker(portNumber, port, keepData, portNumber);
    worker.setAutoDelete(false);
    TDownloadBar bar;
    QEventLoop loop;
    QObject::connect(&worker, &TThreadDownload::DownloadProgress, &loop,
                     [&](int, qint64 received, qint64 total) { bar.Update(received, total); });
    QObject::connect(&worker, &TThreadDownload::Completed, &loop, [&](TThreadDownload* w) {
        outcome.result = w->Result();
        outcome.data = w->TakeData();
        outcome.spoolFile = w->SpoolFile();
        outcome.spoolError = w->SpoolError();
        outcome.portError = w->PortError();
        loop.quit();
    });
    // Ctrl-C only sets a flag; the worker sees it between blocks.
    QTimer interrupt;
    QObject::connect(&interrupt, &QTimer::timeout, &loop, [&] {
        if (Interrupted())
            worker.Cancel();
    });
    interrupt.start(50);
    worker.start();
    loop.exec();
    bar.Finish();
    return outcome;
}

} // namespace

void PrintResultError(int code, const QString& detail)
{
    QTextStream err(stderr);
    err << "error " << code << ": " << ResultText(code);
    if (!detail.isEmpty())
        err << ": " << detail;
    err << '\n';
}

void ReportSpoolLeftovers()
{
    const QStringList files = SpoolLeftovers();
    if (files.isEmpty())
        return;
    if (CurrentLanguage() == 0)
        SetCurrentLanguage(VexaSettings()->value(QStringLiteral("Language"), lang::English).toInt());
    for (const QString& f : files)
        QTextStream(stderr) << "warning: " << MessageText(msg::SpoolLeftover).arg(f) << '\n';
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
    parser.addOption({QStringLiteral("dest"),
                      QStringLiteral("The destination directory (default: the program's saved choice)."),
                      QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("delete"),
                      QStringLiteral("Let the Vexa delete its data file once the data is safe.")});
    parser.addOption({QStringLiteral("card-format"),
                      QStringLiteral("Names of card archives: 0 .DDD, 1 .C1B, 2 .TGD, 3 .ESM (default: saved)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("vu-format"),
                      QStringLiteral("Names of VU archives: 0 .DDD, 1 .V1B, 2 .TGD, 3 .ESM (default: saved)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("verbose"), QStringLiteral("Show the check pass's diagnostic lines.")});
    AddLanguageOption(parser);
    if (const auto done = ParseArguments(parser, args))
        return *done;
    const QString command = args.first();
    if (!parser.positionalArguments().isEmpty())
        return UsageError(command,
                          QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    if (!ApplyLanguage(parser, command))
        return kExitUsage;
    const auto portName = PortArgument(parser, command);
    if (!portName)
        return kExitUsage;

    const auto settings = VexaSettings();
    TStoreOptions options;
    options.destination = parser.isSet(QStringLiteral("dest")) ? parser.value(QStringLiteral("dest"))
                                                               : settings->value(QStringLiteral("DestDir")).toString();
    if (options.destination.isEmpty())
        return UsageError(command, QStringLiteral("no destination directory: give --dest DIR, or choose one in "
                                                  "the program"));
    if (!FormatOption(parser, *settings, QStringLiteral("card-format"), QStringLiteral("defaultCardFileformat"),
                      command, options.cardFormat)
        || !FormatOption(parser, *settings, QStringLiteral("vu-format"), QStringLiteral("defaultVehicleFileformat"),
                         command, options.vehicleFormat))
        return kExitUsage;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("pellkit.download.debug=false"));

    if (TestDestination(options.destination)) {
        QTextStream(stderr) << "pellkit-cli " << command << ": " << MessageText(msg::DestinationUnusable) << '\n';
        return kExitFailed;
    }

    // COMn goes through the worker's own naming (and the Ports/COMn map);
    // a device path is used as it is.
    static const QRegularExpression com(QStringLiteral("^COM([0-9]{1,9})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(*portName);
    std::unique_ptr<TQtSerialPort> port;
    int number = 1;
    if (m.hasMatch()) {
        port = std::make_unique<TQtSerialPort>();
        number = m.captured(1).toInt();
    } else {
        port = std::make_unique<TDevicePort>(*portName);
    }

    InstallInterruptHandler();
    TOutcome outcome = RunWorker(*port, number, !parser.isSet(QStringLiteral("delete")));
    if (!outcome.spoolError.isEmpty())
        QTextStream(stderr) << "warning: " << MessageText(msg::SpoolFailed).arg(outcome.spoolError) << '\n';
    if (outcome.result != kResultOk) {
        if (!outcome.spoolFile.isEmpty())
            QTextStream(stderr) << "warning: " << MessageText(msg::SpoolLeftover).arg(outcome.spoolFile) << '\n';
        PrintResultError(outcome.result, outcome.portError);
        return kExitFailed;
    }

    TCliReporter reporter;
    const TStoreSummary summary = StoreContainer(*outcome.data, options, reporter);
    if (!outcome.spoolFile.isEmpty()) {
        // The spool copy goes only when every entry is safe in the destination.
        if (summary.allSafe)
            RemoveSpool(outcome.spoolFile);
        else
            QTextStream(stderr) << "warning: " << MessageText(msg::SpoolLeftover).arg(outcome.spoolFile) << '\n';
    }
    return summary.allSafe ? kExitOk : kExitFailed;
}
