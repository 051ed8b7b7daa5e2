#include "CliSession.h"

#include "CliCommon.h"

#include "uQtSerialPort.h"
#include "uThreadDownload.h"

#include <QEventLoop>
#include <QTimer>

TDownloadOutcome RunCliSession(const QString& portName, const TCliSession& session)
{
    TQtSerialPort port;
    TDownloadOutcome outcome;
    TThreadDownload worker(portName, port, session.keepData);
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
