#pragma once
// Drives TThreadDownload in-process against a scripted Vexa behind the fake
// port, and collects what the worker did: its result, the commands the Vexa
// received, the data handed over and the spool.

#include "ContainerBuilder.h"
#include "FakePort.h"
#include "uArdoVexa.h"
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

inline QCoreApplication& App()
{
    static int argc = 1;
    static char name[] = "pellkit-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// How one port's Vexa behaves. Block indexes count the 81h requests from 0.
struct TVexaScript {
    Bytes file;
    std::size_t block = 64;
    std::uint8_t openStatus = 0x00;
    bool silentOpen = false;
    int refuseBlock = -1;   // answered with status 80h
    int silentBlock = -1;   // never answered
    int corruptBlock = -1;  // answered with a bad checksum
    int hangupBlock = -1;   // the line is lost while it waits
    std::uint8_t finishStatus = 0x00;
};

class TScriptedPort : public FakePort {
public:
    TScriptedPort() : FakePort([this](const Bytes& request) { return Answer(request); }) { Close(); }

    void Open() override
    {
        if (!scripts.contains(Name()))
            throw ESerialPort(Name() + ": no such port");
        FakePort::Open();
        blocks_[Name()] = 0;
    }

    std::map<std::string, TVexaScript> scripts;
    // Called on the worker's thread with each command before it is answered.
    std::function<void(std::uint8_t command)> onCommand;
    std::vector<std::string> opened;

private:
    Bytes Answer(const Bytes& request)
    {
        const std::uint8_t command = request.size() > 5 ? request[5] : 0;
        if (onCommand)
            onCommand(command);
        const TVexaScript& s = scripts.at(Name());
        switch (command) {
        case 0x80:
            if (s.silentOpen)
                return {};
            return Response(s.openStatus, {0x00, 0x01, 0x02, 0x00});
        case 0x81: {
            const int index = blocks_[Name()]++;
            if (index == s.refuseBlock)
                return Response(0x80);
            if (index == s.silentBlock)
                return {};
            if (index == s.hangupBlock) {
                Hangup("the cable was pulled");
                return {};
            }
            const std::size_t from = static_cast<std::size_t>(index) * s.block;
            if (from >= s.file.size())
                return Response(0x83);
            const std::size_t to = std::min(s.file.size(), from + s.block);
            Bytes frame = Response(0x00, Bytes(s.file.begin() + static_cast<std::ptrdiff_t>(from),
                                               s.file.begin() + static_cast<std::ptrdiff_t>(to)));
            if (index == s.corruptBlock)
                frame[frame.size() - 2] ^= 0xFF;
            return frame;
        }
        case 0x83:
        case 0x84:
            return Response(s.finishStatus);
        default:
            return Response(0x00);
        }
    }

    std::map<std::string, int> blocks_;
};

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
