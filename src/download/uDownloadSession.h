#pragma once
// One download, free of Qt: tries the ports in turn, empties the Vexa's data
// file into memory, has it checked and made durable, and only then tells the
// Vexa to delete (or keep) its copy. TThreadDownload runs it on a QThread;
// without Qt it runs, and is tested, on any thread (also under
// ThreadSanitizer).
//
// Rules that keep the data safe:
//  - FinishAndDelete goes out only after the whole file arrived, passed the
//    check and was made durable; a durable copy that cannot be written
//    turns it into FinishAndKeep (SpoolError says why).
//  - A read that ended in anything but the normal end never deletes:
//    FinishAndKeep, and the result is the read's code.
//  - A file that failed the check gets no end command: the Vexa keeps it.
//  - A Cancel after the end command has gone out is ignored.
//  - A serial port failure during an exchange ends the port's run with -1.
//  - The whole file is handed over whenever it arrived and was not
//    cancelled, also when it failed the check or the end command was not
//    confirmed: the owner decides what of it to store, and where to keep it.
//
// Threads: Execute runs on one thread; Cancel, Cancelled and the progress
// figures may be read from any other. Result, Data and the texts belong to
// the thread that ran Execute until the owner has joined it.

#include "uMemoryStream.h"
#include "uSerialPort.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

struct TSpoolOutcome {
    bool ok = false;
    std::string path;   // the durable copy, when ok (UTF-8)
    std::string error;  // why it could not be written (the system's 8-bit text)
};

// What a download needs from its surroundings; each is called on the thread
// that runs Execute.
struct TDownloadHooks {
    // True when the received data file can be split and every image read.
    std::function<bool(TMemoryStream& data)> validate;
    // Makes the data durable before the Vexa may delete it.
    std::function<TSpoolOutcome(std::span<const std::uint8_t> data)> spool;
    // After each accepted block: progress 0..255 and the byte counts.
    std::function<void(int progress, std::int32_t received, std::int32_t total)> progress;
    std::function<void(const std::string& line)> log;
};

class TDownloadSession {
public:
    TDownloadSession(ISerialPort& port, int firstPort, int lastPort, bool keepData, TDownloadHooks hooks);
    TDownloadSession(const TDownloadSession&) = delete;
    TDownloadSession& operator=(const TDownloadSession&) = delete;

    // Runs the whole download and returns its result (also Result()).
    int Execute();

    // From any thread; the read loop sees it after the current block.
    void Cancel();
    bool Cancelled() const { return state_.load() == State::Cancelled; }

    // The link's progress callback: records the figures, passes them on and
    // answers whether to stop.
    void ReportProgress(std::int32_t total, std::int32_t received, bool& cancel);

    int Result() const { return result_.load(); }
    // As Result(), except that a Vexa silent to the open command is -101 here
    // where Result() joins it with a port that cannot be opened (-1).
    int LinkResult() const { return linkResult_.load(); }
    // 0..255 and the byte counts, updated after each block.
    int Progress() const { return progress_.load(); }
    std::int32_t Total() const { return total_.load(); }
    std::int32_t Received() const { return received_.load(); }

    // The received data file when it arrived whole and was not cancelled
    // (see Checked and EndCommand), else null.
    TMemoryStream* Data() const { return data_.get(); }
    // The data file passed the check.
    bool Checked() const { return checked_; }
    // The end command that went out after the whole file (83h or 84h), 0
    // when none did, and whether the Vexa confirmed it.
    std::uint8_t EndCommand() const { return endCommand_; }
    bool EndConfirmed() const { return endConfirmed_; }
    std::unique_ptr<TMemoryStream> TakeData() { return std::move(data_); }
    // The durable copy made before FinishAndDelete; empty when none was made.
    // The reasons below are the system's 8-bit texts, like the port's.
    const std::string& SpoolFile() const { return spoolFile_; }
    const std::string& SpoolError() const { return spoolError_; }
    // The port's own reason when the last port tried failed on the port
    // itself (not opened, write failed, line lost).
    const std::string& PortError() const { return portError_; }

private:
    enum class State { Running, Cancelled, Committed };

    int DownloadFromPort(int n);
    int ReadAndFinish();
    int Finish();
    void Log(const std::string& line) const;

    ISerialPort& port_;
    const int firstPort_;
    const int lastPort_;
    const bool keepData_;
    const TDownloadHooks hooks_;

    std::atomic<State> state_{State::Running};
    std::atomic<int> result_{-1};
    std::atomic<int> linkResult_{-1};
    std::atomic<int> progress_{0};
    std::atomic<std::int32_t> total_{0};
    std::atomic<std::int32_t> received_{0};
    std::unique_ptr<TMemoryStream> data_;
    std::string spoolFile_;
    std::string spoolError_;
    std::string portError_;
    bool silentOpen_ = false;  // the last port's Vexa did not answer the open command
    bool wholeFile_ = false;   // the last port's read ended normally
    bool checked_ = false;
    std::uint8_t endCommand_ = 0;
    bool endConfirmed_ = false;
};
