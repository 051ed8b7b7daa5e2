#pragma once
// The request/response link with the Vexa: the one response assembler, the
// link's cancel flag, the result codes and the nine exchanges.
//
// Every exchange: Reset the assembler, send one request frame, wait (at most
// ExchangeTimeout(), 10 s) for the assembler to hold one complete frame,
// validate it, read its status byte.  Link problems are result codes, never
// exceptions, with one exception type kept apart on purpose:
//
//   Serial port failures throw ESerialPort and leave the exchange at once.
//   That is a failed write (raised by the port) and the line lost while
//   waiting (cable pulled, hang-up): the port's error handler calls
//   ResponseAssembler::LineLost, which wakes the waiting exchange, which then
//   throws ESerialPort with the port's reason.  Callers turn it into -1 and
//   close the port; it is never taken for an answer or for a timeout.
//
// Plain C++ (no Qt) so that ThreadSanitizer can check it.

#include "uArdoVexaMess.h"
#include "uSerialPort.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <limits>
#include <mutex>
#include <span>
#include <string>
#include <vector>

class TMemoryStream;

// Result codes of the link and of the download.
constexpr int kResultOk = 0;
constexpr int kResultBadFrame = kFrameBadDelimiters; // -1; also: port not opened, no answer to the open command
constexpr int kResultBadLength = kFrameBadLength;    // -2
constexpr int kResultBadChecksum = kFrameBadChecksum; // -3
constexpr int kResultBadDataFile = -8;    // container malformed, or a card/VU image fails to parse
constexpr int kResultEndOfFile = -100;    // normal end of the read loop
constexpr int kResultNoAnswer = -101;     // no complete response within the limit
constexpr int kResultRefused = -102;      // 67h/70h/72h any status, 71h status 70h
constexpr int kResultRefused71 = -103;    // 71h status 71h
constexpr int kResultRefused72 = -104;    // 71h status 72h
constexpr int kResultRefused73 = -105;    // 71h status 73h
constexpr int kResultOpenRefused80 = -106; // 80h status 80h
constexpr int kResultOpenRefused81 = -107; // 80h status 81h
constexpr int kResultBlockRefused = -108; // 81h status other than 83h; 83h/84h any status
constexpr int kResultEmptyFile = -109;    // the very first 81h answered 83h
constexpr int kResultCancelled = -110;    // user cancel; also clock write status 74h
constexpr int kResultClockRefused75 = -111; // clock write status 75h
constexpr int kResultDataFileTooLong = -112; // more data than the file declares, or than any Vexa holds
constexpr int kResultEmptyBlocks = -113;  // block after block answered without data

// Collects received bytes into one frame.  Fed from the port's own thread,
// read by the exchange's thread; one mutex guards it, and Feed wakes the
// waiting exchange so the wait ends the moment the frame is complete.
class ResponseAssembler {
public:
    enum class WaitResult { Complete, TimedOut, LineLost };

    // Empties the buffer and clears a line-lost state.
    void Reset();
    void Feed(std::uint8_t b);
    // Bytes of one receive event, in order, under one lock.
    void Feed(std::span<const std::uint8_t> bytes);
    bool IsComplete() const;
    std::vector<std::uint8_t> Bytes() const;
    std::int32_t Count() const;

    // The line is gone: wakes a waiting exchange, which then fails at once.
    void LineLost(const std::string& reason);

    // Blocks until a complete frame, the line lost, or the deadline.  The
    // frame is taken under the same lock that saw it complete, so a late
    // byte cannot slip in between; the reason of a lost line goes to *reason.
    WaitResult WaitUntil(std::chrono::steady_clock::time_point deadline, std::vector<std::uint8_t>* frame = nullptr,
                         std::string* reason = nullptr);

private:
    bool CompleteLocked() const;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::uint8_t> buffer_;
    std::uint16_t declared_ = 0;
    bool lineLost_ = false;
    std::string lostReason_;
};

// The program's one assembler.
ResponseAssembler& Assembler();

// The receive handler of the port: feeds every byte, in order.
void LinkReceive(std::span<const std::uint8_t> bytes);
// Installs LinkReceive and the line-lost handler on the port.  Every
// exchange does it itself; the port's owner may do it once after creating it.
void AttachLink(ISerialPort& port);

// Set through the progress callback of the read loop; cleared by the
// handshakes and by OpenDataFile.
extern std::atomic<bool> LinkCancel;

// The response limit of every exchange; 10 s.  Tests may shorten it.
void SetExchangeTimeout(std::chrono::milliseconds limit);
std::chrono::milliseconds ExchangeTimeout();
constexpr std::chrono::milliseconds kDefaultExchangeTimeout{10000};

// The largest data file the read loop takes while the file has not declared
// its size: a Vexa holds a few megabytes, so a device that sends more is not
// sending a data file.  Once the first block has declared the size, that
// size is the bound.  Tests may lower the limit.
void SetDataFileLimit(std::int32_t bytes);
constexpr std::int32_t kDefaultDataFileLimit = 64 * 1024 * 1024;

// Blocks accepted without a single data byte, in a row, before the device is
// taken for faulty: a working Vexa sends data in every block.
constexpr int kMaxEmptyBlocksInARow = 8;

// Called after each accepted block with the declared total (0 while unknown)
// and the data bytes received so far; the callee sets cancel to stop the
// read loop after this block.
using ProgressCallback = std::function<void(std::int32_t total, std::int32_t received, bool& cancel)>;

// State of the data-file read loop (one download at a time).
struct TReadState {
    std::int32_t total = 0;
    std::int32_t received = 0;
    bool gotBlock = false;
    std::int64_t declaredSize = 0;  // the whole file as declared (0 while unknown)
    int emptyInARow = 0;
    ProgressCallback progress;
};
const TReadState& ReadState();

// Puts all of the above back as the program starts: an empty assembler, no
// read state, no cancel, the default response and data-file limits.  The
// state stays module-wide; this is for tests, which share one process and
// must not inherit it from each other.  Never while an exchange runs.
void ResetLinkState();

// A local calendar date and time as the caller's clock gives it.
struct TVexaDateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0; // dropped, never rounded
};

// The 12 bytes of a settings write and the 6 of a clock write.
std::vector<std::uint8_t> SettingsPayload(int language, int mode, bool activities, bool events, bool speed,
                                          bool technical);
std::vector<std::uint8_t> ClockPayload(const TVexaDateTime& dateTime, bool useDeviceClock);

// 67h / 70h: the two values are written only on status 00h.
int ClockHandshake(ISerialPort& port, std::uint16_t& value1, std::uint16_t& value2);
int ConfigurationHandshake(ISerialPort& port, std::uint16_t& value1, std::uint16_t& value2);
// 71h.  Unknown non-zero statuses count as success.
int WriteSettings(int language, int mode, bool activities, bool events, bool speed, bool technical,
                  ISerialPort& port);
int WriteClock(const TVexaDateTime& dateTime, bool useDeviceClock, ISerialPort& port);
// 72h.
int EndSettings(ISerialPort& port);
// 80h: clears LinkCancel and the read state.  The values are written only on
// status 00h; a status other than 80h/81h is success without values.
int OpenDataFile(std::uint8_t selector, ISerialPort& port, std::uint16_t& value1, std::uint16_t& value2);
// 81h: on success writes the block into the stream at its position.  A
// block that would take the file past its declared size, or past the limit
// while no size is declared, is not written: -112.  The eighth block in a
// row without data: -113.
int ReadDataBlock(TMemoryStream& stream, ISerialPort& port);
// Reads blocks until the end of the file: -100 is the normal end.  A cancel
// through the progress callback stops it after the current block (-110).
int ReadDataFile(TMemoryStream& stream, ISerialPort& port, ProgressCallback progress);
// 83h / 84h.
int FinishAndDelete(ISerialPort& port);
int FinishAndKeep(ISerialPort& port);
