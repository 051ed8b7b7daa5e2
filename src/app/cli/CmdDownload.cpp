// pellkit-cli download --port PORT [--dest DIR] [--delete] [--card-format N]
// [--vu-format N]: the whole download as the window runs it: the destination
// test, the worker, then the storage pass. The Vexa keeps its data file
// unless --delete is given, and even then only once the data is spooled.

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliStore.h"

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

#include <memory>

namespace {

// A port given as a device path keeps that path whatever COM name the
// worker gives it.
class TDevicePort : public TQtSerialPort {
public:
    explicit TDevicePort(const QString& device) { TQtSerialPort::SetName(device.toStdString()); }
    void SetName(const std::string&) override {}
};

TDownloadOutcome RunWorker(ISerialPort& port, int portNumber, bool keepData)
{
    TDownloadOutcome outcome;
    TThreadDownload worker(portNumber, port, keepData, portNumber);
    worker.setAutoDelete(false);
    TProgressBar bar;
    QEventLoop loop;
    QObject::connect(&worker, &TThreadDownload::DownloadProgress, &loop,
                     [&](int, qint64 received, qint64 total) { bar.Update(received, total); });
    QObject::connect(&worker, &TThreadDownload::Completed, &loop, [&](TThreadDownload* w) {
        outcome = w->TakeOutcome();
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

void ReportSpoolLeftovers()
{
    const QStringList files = SpoolLeftovers();
    if (files.isEmpty())
        return;
    if (CurrentLanguage() == 0)
        SetCurrentLanguage(VexaSettings()->value(QStringLiteral("Language"), lang::English).toInt());
    const QString text = MessageText(msg::SpoolLeftover); // before a line is begun: it may throw
    for (const QString& f : files)
        QTextStream(stderr) << "warning: " << text.arg(f) << '\n';
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

    // COMn goes through the worker's own naming (and the Ports/COMn map);
    // a device path is used as it is.
    static const QRegularExpression com(QStringLiteral("^COM([0-9]{1,9})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(portName);
    std::unique_ptr<TQtSerialPort> port;
    int number = 1;
    if (m.hasMatch()) {
        port = std::make_unique<TQtSerialPort>();
        number = m.captured(1).toInt();
    } else {
        port = std::make_unique<TDevicePort>(portName);
    }

    InstallInterruptHandler();
    TDownloadOutcome outcome = RunWorker(*port, number, !parser.isSet(QStringLiteral("delete")));
    TCliReporter reporter;
    return CommitDownload(outcome, *options, reporter).Complete() ? kExitOk : kExitFailed;
}
