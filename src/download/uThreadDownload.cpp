#include "uThreadDownload.h"

#include "uSpool.h"

#include <QFile>

#include <algorithm>

Q_LOGGING_CATEGORY(lcDownload, "pellkit.download")

TThreadDownload::TThreadDownload(int firstPort, ISerialPort& port, bool keepData, int lastPort, QObject* parent)
    : QThread(parent),
      session_(port, firstPort, lastPort, keepData,
               TDownloadHooks{
                   .validate = [this](TMemoryStream& data) { return Check(data); },
                   .spool = [this](std::span<const std::uint8_t> data) { return Spool(data); },
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

bool TThreadDownload::Check(TMemoryStream& data)
{
    if (!confirmedCopy_.isEmpty()) {
        QFile copy(confirmedCopy_);
        if (!copy.open(QIODevice::ReadOnly))
            return false;
        const QByteArray kept = copy.readAll();
        const auto bytes = data.Bytes();
        return copy.error() == QFileDevice::NoError && static_cast<std::size_t>(kept.size()) == bytes.size() &&
               std::equal(bytes.begin(), bytes.end(), reinterpret_cast<const std::uint8_t*>(kept.constData()));
    }
    return !checkData_ || ValidateContainer(*this, data) == 0;
}

TSpoolOutcome TThreadDownload::Spool(std::span<const std::uint8_t> data)
{
    if (!confirmedCopy_.isEmpty())
        return {true, confirmedCopy_.toStdString(), {}};
    const TSpoolWrite spool = WriteSpool(data, spoolDirectory_);
    return {spool.ok, spool.path.toStdString(), spool.error.toLocal8Bit().toStdString()};
}

TDownloadOutcome TThreadDownload::TakeOutcome()
{
    TDownloadOutcome outcome;
    outcome.result = Result();
    outcome.linkResult = session_.LinkResult();
    outcome.data = TakeData();
    outcome.checked = session_.Checked();
    outcome.endCommand = session_.EndCommand();
    outcome.endConfirmed = session_.EndConfirmed();
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
