#pragma once
// The download worker: empties the Vexa's data file into memory on a thread
// of its own, checks it, makes it durable, and only then tells the Vexa to
// delete (or keep) its copy.
//
// The owner (main window or CLI) creates it, connects DownloadProgress and
// Completed, and calls start(). Progress arrives queued on the owner's
// thread; Completed is emitted there after Execute has returned, and the
// worker deletes itself right after its handlers have run (unless
// setAutoDelete(false)). Result, Data and SpoolFile are read in Completed.
//
// Rules that keep the data safe:
//  - FinishAndDelete goes out only after the whole file arrived, passed the
//    validation pass and was written to the spool; a spool that cannot be
//    written turns it into FinishAndKeep (SpoolError says why).
//  - A read that ended in anything but the normal end, a refused block or an
//    empty file never deletes: FinishAndKeep, and the result is that code.
//  - A Cancel after the end command has gone out is ignored.
//  - A serial port failure during an exchange ends the port's run with -1.

#include "uContainer.h"
#include "uMemoryStream.h"
#include "uSerialPort.h"

#include <QLoggingCategory>
#include <QString>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcDownload)

class TThreadDownload : public QThread, public IDebugLog {
    Q_OBJECT
public:
    TThreadDownload(int firstPort, ISerialPort& port, bool keepData, int lastPort, QObject* parent = nullptr);
    ~TThreadDownload() override;
    TThreadDownload(const TThreadDownload&) = delete;
    TThreadDownload& operator=(const TThreadDownload&) = delete;

    // From any thread; the read loop sees it after the current block.
    void Cancel();
    bool Cancelled() const { return state_.load() == State::Cancelled; }

    // The link's progress callback, bound to this worker (worker thread).
    void ReportProgress(std::int32_t total, std::int32_t received, bool& cancel);
    // One line to the debug output (category pellkit.download).
    void DebugLog(const QString& text) override;

    // Read after Completed.
    int Result() const { return result_.load(); }
    // The received data file when Result() is 0, else null. The worker keeps
    // ownership; TakeData hands it over.
    TMemoryStream* Data() const { return data_.get(); }
    std::unique_ptr<TMemoryStream> TakeData() { return std::move(data_); }
    // 0..255, written by the worker after each block.
    int Progress() const { return progress_.load(); }
    std::int32_t Total() const { return total_.load(); }
    std::int32_t Received() const { return received_.load(); }

    // The durable copy written before FinishAndDelete; empty when none was
    // made (data kept in the Vexa, or the spool failed).
    QString SpoolFile() const { return spoolFile_; }
    // Why the spool could not be written (the Vexa was then told to keep its data).
    QString SpoolError() const { return spoolError_; }
    // The serial port's reason when the last port tried failed on the port
    // itself (not opened, write failed, line lost); empty otherwise.
    QString PortError() const { return portError_; }

    // Where spool files go; DefaultSpoolDirectory() unless set before start().
    void SetSpoolDirectory(const QString& directory) { spoolDirectory_ = directory; }
    // Whether the worker deletes itself after Completed (default true).
    void setAutoDelete(bool autoDelete) { autoDelete_ = autoDelete; }

signals:
    // Queued to the owner, one per accepted block; never waits for it.
    void DownloadProgress(int progress, qint64 received, qint64 total);
    // On the owner's thread after Execute has returned.
    void Completed(TThreadDownload* worker);

protected:
    void run() override;

private:
    enum class State { Running, Cancelled, Committed };

    void Execute();
    int DownloadFromPort(int n);
    int ReadAndFinish();
    // Spools the data and sends the end command; returns its result.
    int Finish();
    void OnFinished();

    ISerialPort& port_;
    const int firstPort_;
    const int lastPort_;
    const bool keepData_;
    bool autoDelete_ = true;
    QString spoolDirectory_;

    std::atomic<State> state_{State::Running};
    std::atomic<int> result_{-1};
    std::atomic<int> progress_{0};
    std::atomic<std::int32_t> total_{0};
    std::atomic<std::int32_t> received_{0};
    std::unique_ptr<TMemoryStream> data_;
    QString spoolFile_;
    QString spoolError_;
    QString portError_;
};
