#include "uDownloadSession.h"

#include "uArdoVexa.h"

#include <exception>

namespace {

constexpr std::uint8_t kSelectorDataFile = 0x01;

} // namespace

TDownloadSession::TDownloadSession(ISerialPort& port, int firstPort, int lastPort, bool keepData,
                                   TDownloadHooks hooks)
    : port_(port), firstPort_(firstPort), lastPort_(lastPort), keepData_(keepData), hooks_(std::move(hooks))
{
}

void TDownloadSession::Cancel()
{
    State expected = State::Running;
    state_.compare_exchange_strong(expected, State::Cancelled);
}

void TDownloadSession::Log(const std::string& line) const
{
    if (hooks_.log)
        hooks_.log(line);
}

int TDownloadSession::Execute()
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
    if (result == kResultCancelled || !wholeFile_)
        data_.reset();
    else
        data_->SetPosition(0);
    result_ = result;
    linkResult_ = silentOpen_ && result == kResultBadFrame ? kResultNoAnswer : result;
    return result;
}

void TDownloadSession::ReportProgress(std::int32_t total, std::int32_t received, bool& cancel)
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
    if (hooks_.progress)
        hooks_.progress(progress, received, total);
}

int TDownloadSession::DownloadFromPort(int n)
{
    portError_.clear();
    silentOpen_ = false;
    wholeFile_ = false;
    checked_ = false;
    endCommand_ = 0;
    endConfirmed_ = false;
    const std::string name = "COM" + std::to_string(n);
    auto failed = [&](const std::exception& e) {
        portError_ = e.what();
        Log(name + ": " + portError_);
        return kResultBadFrame;
    };
    TPortGuard guard(port_);
    try {
        guard.Open(name);
    } catch (const std::exception& e) {
        return failed(e);
    }
    try {
        return ReadAndFinish();
    } catch (const std::exception& e) {
        // A failed write or a lost line: nothing of this run can be trusted.
        return failed(e);
    }
}

int TDownloadSession::ReadAndFinish()
{
    if (Cancelled())
        return kResultCancelled;
    std::uint16_t value1 = 0;
    std::uint16_t value2 = 0;
    if (const int code = OpenDataFile(kSelectorDataFile, port_, value1, value2); code != kResultOk) {
        silentOpen_ = code == kResultNoAnswer;
        return silentOpen_ ? kResultBadFrame : code;
    }
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
            Log(e.what());
        }
        return read;
    }
    wholeFile_ = true;

    bool valid = false;
    try {
        valid = hooks_.validate && hooks_.validate(*data_);
    } catch (const std::exception& e) {
        Log(e.what());
    }
    checked_ = valid;
    if (!valid)
        return kResultBadDataFile;

    // From here a cancel no longer counts: the Vexa may delete its copy.
    State expected = State::Running;
    if (!state_.compare_exchange_strong(expected, State::Committed))
        return kResultCancelled;
    return Finish();
}

int TDownloadSession::Finish()
{
    bool deleteInVexa = !keepData_;
    if (deleteInVexa) {
        TSpoolOutcome spool;
        try {
            if (hooks_.spool)
                spool = hooks_.spool(data_->Bytes());
            else
                spool.error = "no place for a durable copy";
        } catch (const std::exception& e) {
            spool = {false, {}, e.what()};
        }
        if (spool.ok) {
            spoolFile_ = spool.path;
        } else {
            spoolError_ = spool.error;
            deleteInVexa = false;
            Log("spool: " + spool.error);
        }
    }
    // Noted first: the line may go while the Vexa answers.
    endCommand_ = deleteInVexa ? 0x83 : 0x84;
    const int code = deleteInVexa ? FinishAndDelete(port_) : FinishAndKeep(port_);
    endConfirmed_ = code == kResultOk;
    return code;
}
