#include "uThreadDownload.h"

#include "uArdoVexa.h"
#include "uSpool.h"

#include <exception>

Q_LOGGING_CATEGORY(lcDownload, "pellkit.download")

namespace {

constexpr std::uint8_t kSelectorDataFile = 0x01;

// The port is opened by DownloadFromPort and closed on every way out.
class TPortCloser {
public:
    explicit TPortCloser(ISerialPort& port) : port_(port) {}
    ~TPortCloser()
    {
        try {
            port_.Close();
        } catch (...) {
            // A port that cannot even be closed has nothing left to tell us.
        }
    }
    TPortCloser(const TPortCloser&) = delete;
    TPortCloser& operator=(const TPortCloser&) = delete;

private:
    ISerialPort& port_;
};

} // namespace

TThreadDownload::TThreadDownload(int firstPort, ISerialPort& port, bool keepData, int lastPort, QObject* parent)
    : QThread(parent), port_(port), firstPort_(firstPort), lastPort_(lastPort), keepData_(keepData),
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

void TThreadDownload::Cancel()
{
    State expected = State::Running;
    state_.compare_exchange_strong(expected, State::Cancelled);
}

void TThreadDownload::ReportProgress(std::int32_t total, std::int32_t received, bool& cancel)
{
    int progress = 0;
    if (total > 0) {
        const double share = static_cast<double>(received) / static_cast<double>(total) * 255.0;
        progress = share >= 255.0 ? 255 : share <= 0.0 ? 0 : static_cast<int>(share);
    }
    progress_ = progress;
    total_ = total;
    received_ = received;
    cancel = Cancelled();
    emit DownloadProgress(progress, received, total);
}

void TThreadDownload::DebugLog(const QString& text) { qCDebug(lcDownload).noquote() << text; }

void TThreadDownload::run() { Execute(); }

void TThreadDownload::Execute()
{
    state_ = State::Running;
    progress_ = 0;
    spoolFile_.clear();
    spoolError_.clear();
    portError_.clear();
    data_ = std::make_unique<TMemoryStream>();
    int result = kResultBadFrame;
    for (int n = firstPort_; n <= lastPort_; ++n) {
        // A port that failed half-way must leave no bytes behind for the next.
        data_->Clear();
        result = DownloadFromPort(n);
        if (result == kResultOk || Cancelled())
            break;
    }
    if (result == kResultOk && Cancelled())
        result = kResultCancelled;
    if (result != kResultOk)
        data_.reset();
    else
        data_->SetPosition(0);
    result_ = result;
}

int TThreadDownload::DownloadFromPort(int n)
{
    portError_.clear();
    auto failed = [&](const std::exception& e) {
        portError_ = QString::fromLocal8Bit(e.what());
        DebugLog(QStringLiteral("COM%1: %2").arg(n).arg(portError_));
        return kResultBadFrame;
    };
    port_.SetName("COM" + std::to_string(n));
    try {
        port_.Open();
    } catch (const std::exception& e) {
        return failed(e);
    }
    TPortCloser closer(port_);
    try {
        return ReadAndFinish();
    } catch (const std::exception& e) {
        // A failed write or a lost line: nothing of this run can be trusted.
        return failed(e);
    }
}

int TThreadDownload::ReadAndFinish()
{
    if (Cancelled())
        return kResultCancelled;
    std::uint16_t value1 = 0;
    std::uint16_t value2 = 0;
    if (const int code = OpenDataFile(kSelectorDataFile, port_, value1, value2); code != kResultOk)
        return code == kResultNoAnswer ? kResultBadFrame : code;
    if (Cancelled())
        return kResultCancelled;

    const int read = ReadDataFile(*data_, port_, [this](std::int32_t total, std::int32_t received, bool& cancel) {
        ReportProgress(total, received, cancel);
    });
    if (Cancelled())
        return kResultCancelled;
    if (read != kResultEndOfFile) {
        // Whatever went wrong, the Vexa must keep the only copy; the read's
        // code is what the user is told, whatever becomes of this request.
        try {
            FinishAndKeep(port_);
        } catch (const std::exception& e) {
            DebugLog(QString::fromLocal8Bit(e.what()));
        }
        return read;
    }

    int valid = -1;
    try {
        valid = ValidateContainer(*this, *data_);
    } catch (const std::exception& e) {
        DebugLog(QString::fromLocal8Bit(e.what()));
    }
    if (valid != 0)
        return kResultBadDataFile;

    // From here a cancel no longer counts: the Vexa may delete its copy.
    State expected = State::Running;
    if (!state_.compare_exchange_strong(expected, State::Committed))
        return kResultCancelled;
    return Finish();
}

int TThreadDownload::Finish()
{
    bool deleteInVexa = !keepData_;
    if (deleteInVexa) {
        const TSpoolWrite spool = WriteSpool(data_->Bytes(), spoolDirectory_);
        if (spool.ok) {
            spoolFile_ = spool.path;
        } else {
            spoolError_ = spool.error;
            deleteInVexa = false;
            DebugLog(QStringLiteral("spool: ") + spool.error);
        }
    }
    return deleteInVexa ? FinishAndDelete(port_) : FinishAndKeep(port_);
}

void TThreadDownload::OnFinished()
{
    emit Completed(this);
    if (autoDelete_)
        deleteLater();
}
