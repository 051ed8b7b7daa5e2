#pragma once
// Drives TThreadDownload in-process against a scripted Vexa behind the fake
// port, and collects what the worker did: its result, the commands the Vexa
// received, the data handed over and the spool.

#include "ScriptedVexa.h"
#include "uSpool.h"
#include "uThreadDownload.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <set>

namespace pellkit::test {

// Made by the test main (QtTestMain.cpp).
inline QCoreApplication& App() { return *QCoreApplication::instance(); }

struct TWorkerRun {
    int result = 1;
    std::optional<Bytes> data;
    QString spoolFile;
    QString spoolError;
    std::vector<int> progress;      // as the owner received it
    bool progressOnOwner = true;    // every notification arrived on the owner's thread
    bool completedOnOwner = false;
};

struct TWorkerSetup {
    int firstPort = 1;
    int lastPort = 1;
    bool keepData = false;
    QString spoolDirectory;
    // Called on the owner's thread for each progress notification.
    std::function<void(TThreadDownload&, int progress)> onProgress;
};

// Starts a worker, waits for Completed (at most a minute), and reports.
inline TWorkerRun RunWorker(TScriptedPort& port, const TWorkerSetup& setup,
                            const std::function<void(TThreadDownload&)>& beforeStart = {})
{
    App();
    TWorkerRun run;
    auto* worker = new TThreadDownload(setup.firstPort, port, setup.keepData, setup.lastPort);
    worker->SetSpoolDirectory(setup.spoolDirectory);
    QEventLoop loop;
    QObject::connect(worker, &TThreadDownload::DownloadProgress, &loop, [&, worker](int progress, qint64, qint64) {
        run.progressOnOwner = run.progressOnOwner && QThread::currentThread() == loop.thread();
        run.progress.push_back(progress);
        if (setup.onProgress)
            setup.onProgress(*worker, progress);
    });
    QObject::connect(worker, &TThreadDownload::Completed, &loop, [&](TThreadDownload* w) {
        run.completedOnOwner = QThread::currentThread() == loop.thread() && w->isFinished();
        run.result = w->Result();
        if (w->Data())
            run.data = Bytes(w->Data()->Buffer());
        run.spoolFile = w->SpoolFile();
        run.spoolError = w->SpoolError();
        loop.quit();
    });
    if (beforeStart)
        beforeStart(*worker);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    // The worker frees itself after Completed: let that happen here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return run;
}

inline Bytes ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    return Bytes(b.begin(), b.end());
}

} // namespace pellkit::test
