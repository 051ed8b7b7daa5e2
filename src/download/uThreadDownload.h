#pragma once
// The download worker: runs one TDownloadSession (the rules that keep the
// data safe are there) on a thread of its own, with the validation pass as
// its check and the spool as its durable copy.
//
// The owner (main window or CLI) creates it, connects DownloadProgress and
// Completed, and calls start(). Progress arrives queued on the owner's
// thread; Completed is emitted there after Execute has returned, and the
// worker deletes itself right after its handlers have run (unless
// setAutoDelete(false)). Result, Data and SpoolFile are read in Completed.

#include "uContainer.h"
#include "uDownloadCommit.h"
#include "uDownloadSession.h"
#include "uMemoryStream.h"
#include "uSerialPort.h"

#include <QLoggingCategory>
#include <QString>
#include <QThread>

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
    void Cancel() { session_.Cancel(); }
    bool Cancelled() const { return session_.Cancelled(); }

    // One line to the debug output (category pellkit.download).
    void DebugLog(const QString& text) override;

    // Read after Completed.
    int Result() const { return session_.Result(); }
    // The received data file when Result() is 0, else null. The worker keeps
    // ownership; TakeData hands it over.
    TMemoryStream* Data() const { return session_.Data(); }
    std::unique_ptr<TMemoryStream> TakeData() { return session_.TakeData(); }
    // 0..255, written by the worker after each block.
    int Progress() const { return session_.Progress(); }
    std::int32_t Total() const { return session_.Total(); }
    std::int32_t Received() const { return session_.Received(); }

    // The durable copy written before FinishAndDelete; empty when none was
    // made (data kept in the Vexa, or the spool failed).
    QString SpoolFile() const { return QString::fromStdString(session_.SpoolFile()); }
    // Why the spool could not be written (the Vexa was then told to keep its data).
    QString SpoolError() const { return QString::fromLocal8Bit(session_.SpoolError()); }
    // The serial port's reason when the last port tried failed on the port
    // itself (not opened, write failed, line lost); empty otherwise.
    QString PortError() const { return QString::fromLocal8Bit(session_.PortError()); }

    // Result, data and the texts above, handed over in one piece.
    TDownloadOutcome TakeOutcome();

    // Whether the received file is checked before the end command (default
    // true); a plain copy of the Vexa's file needs no check.
    void SetCheckData(bool check) { checkData_ = check; }
    // Instead of the check: the Vexa may delete its data once what it sends
    // is byte for byte this file, already safe on disk (a data file that
    // could not all be read, which the user lets go). It then serves as the
    // safety copy.
    void SetConfirmedCopy(const QString& path) { confirmedCopy_ = path; }

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
    void OnFinished();
    bool Check(TMemoryStream& data);
    TSpoolOutcome Spool(std::span<const std::uint8_t> data);

    TDownloadSession session_;
    bool autoDelete_ = true;
    bool checkData_ = true;
    QString confirmedCopy_;
    QString spoolDirectory_;
};
