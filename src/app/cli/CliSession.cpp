#include "CliSession.h"

#include "CliCommon.h"

#include "uQtSerialPort.h"
#include "uThreadDownload.h"

#include <QEventLoop>
#include <QRegularExpression>
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

} // namespace

TDownloadOutcome RunCliSession(const QString& portName, const TCliSession& session)
{
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

    TDownloadOutcome outcome;
    TThreadDownload worker(number, *port, session.keepData, number);
    worker.setAutoDelete(false);
    worker.SetCheckData(session.checkData);
    if (!session.confirmedCopy.isEmpty())
        worker.SetConfirmedCopy(session.confirmedCopy);
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
