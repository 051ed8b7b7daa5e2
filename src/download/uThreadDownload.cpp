#include "uThreadDownload.h"

#include "uSpool.h"

Q_LOGGING_CATEGORY(lcDownload, "pellkit.download")

TThreadDownload::TThreadDownload(int firstPort, ISerialPort& port, bool keepData, int lastPort, QObject* parent)
    : QThread(parent),
      session_(port, firstPort, lastPort, keepData,
               TDownloadHooks{
                   .validate = [this](TMemoryStream& data) { return !checkData_ || ValidateContainer(*this, data) == 0; },
                   .spool =
                       [this](std::span<const std::uint8_t> data) {
                           const TSpoolWrite spool = WriteSpool(data, spoolDirectory_);
                           return TSpoolOutcome{spool.ok, spool.path.toStdString(), spool.error.toLocal8Bit().toStdString()};
                       },
                   .progress = [this](int progress, std::int32_t received,
                                      std::int32_t total) { emit DownloadProgress(progress, received, total); },
                   .log = [this](const std::string& line) { DebugLog(QString::fromLocal8Bit(line)); },
               }),
      spoolDirectory_(DefaultSpoolDirectory())
{
    // Queued: the owner's handlers run on its own thread, after Execute.
    connect(this, &QThread::finished, this, &TThreadDownload::OnFinished, Qt::QueuedConnection);
}

TThreadDownload::~TThreadDownload()
{
    Cancel();
    wait();
}

void TThreadDownload::DebugLog(const QString& text) { qCDebug(lcDownload).noquote() << text; }

TDownloadOutcome TThreadDownload::TakeOutcome()
{
    TDownloadOutcome outcome;
    outcome.result = Result();
    outcome.linkResult = session_.LinkResult();
    outcome.data = TakeData();
    outcome.spoolFile = SpoolFile();
    outcome.spoolError = SpoolError();
    outcome.portError = PortError();
    return outcome;
}

void TThreadDownload::run() { session_.Execute(); }

void TThreadDownload::OnFinished()
{
    emit Completed(this);
    if (autoDelete_)
        deleteLater();
}
