#include "uArdoVexa.h"

#include "uContainerSplit.h"
#include "uMemoryStream.h"

#include <limits>
#include <optional>

namespace {

constexpr std::uint8_t kStx = 0x02;

std::atomic<std::int64_t> g_timeoutMs{kDefaultExchangeTimeout.count()};
TReadState g_read;
std::atomic<std::int32_t> g_fileLimit{kDefaultDataFileLimit};

// The common course of every exchange.  Returns 0 with the validated
// response, or -1/-2/-3/-101; throws ESerialPort when the port fails.
int Exchange(ISerialPort& port, std::uint8_t command, std::span<const std::uint8_t> data,
             std::optional<TvexaMessage>& response)
{
    ResponseAssembler& a = Assembler();
    AttachLink(port);
    a.Reset();
    TvexaMessage(command, data).SendTo(port);

    const auto deadline = std::chrono::steady_clock::now() + ExchangeTimeout();
    std::string reason;
    std::vector<std::uint8_t> frame;
    switch (a.WaitUntil(deadline, &frame, &reason)) {
    case ResponseAssembler::WaitResult::LineLost:
        throw ESerialPort(reason.empty() ? std::string("the serial line was lost") : reason);
    case ResponseAssembler::WaitResult::TimedOut:
        return kResultNoAnswer;
    case ResponseAssembler::WaitResult::Complete:
        break;
    }
    response.emplace(frame);
    return response->Validate();
}

int Exchange(ISerialPort& port, std::uint8_t command, std::optional<TvexaMessage>& response)
{
    return Exchange(port, command, {}, response);
}

std::uint16_t Word(const TvexaMessage& m, std::size_t offset)
{
    return static_cast<std::uint16_t>(m.DataByte(offset) << 8 | m.DataByte(offset + 1));
}

int Handshake(ISerialPort& port, std::uint8_t command, std::uint16_t& value1, std::uint16_t& value2)
{
    LinkCancel = false;
    std::optional<TvexaMessage> r;
    if (const int code = Exchange(port, command, r); code != kResultOk)
        return code;
    if (r->Code() != 0)
        return kResultRefused;
    value1 = Word(*r, 0);
    value2 = Word(*r, 2);
    return kResultOk;
}

int WriteStatus(std::uint8_t status, bool clock)
{
    switch (status) {
    case 0x00: return kResultOk;
    case 0x70: return kResultRefused;
    case 0x71: return kResultRefused71;
    case 0x72: return kResultRefused72;
    case 0x73: return kResultRefused73;
    case 0x74: return clock ? kResultCancelled : kResultOk;
    case 0x75: return clock ? kResultClockRefused75 : kResultOk;
    default: return kResultOk;
    }
}

int Write71(ISerialPort& port, const std::vector<std::uint8_t>& payload, bool clock)
{
    std::optional<TvexaMessage> r;
    if (const int code = Exchange(port, 0x71, payload, r); code != kResultOk)
        return code;
    return WriteStatus(r->Code(), clock);
}

int Simple(ISerialPort& port, std::uint8_t command, int refused)
{
    std::optional<TvexaMessage> r;
    if (const int code = Exchange(port, command, r); code != kResultOk)
        return code;
    return r->Code() == 0 ? kResultOk : refused;
}

} // namespace

std::atomic<bool> LinkCancel{false};

// ---- assembler -------------------------------------------------------------

void ResponseAssembler::Reset()
{
    std::lock_guard lock(mutex_);
    buffer_.clear();
    lineLost_ = false;
    lostReason_.clear();
}

void ResponseAssembler::Feed(std::uint8_t b) { Feed(std::span<const std::uint8_t>(&b, 1)); }

void ResponseAssembler::Feed(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return;
    bool complete = false;
    {
        std::lock_guard lock(mutex_);
        for (const std::uint8_t b : bytes) {
            if (buffer_.empty()) {
                if (b == kStx)
                    buffer_.push_back(b);
                continue;
            }
            // Past the longest frame its length field allows, one byte more
            // than a whole frame keeps it incomplete; the rest is not kept.
            if (buffer_.size() >= 5 && buffer_.size() > static_cast<std::size_t>(declared_) + 7)
                break;
            buffer_.push_back(b);
            if (buffer_.size() == 5)
                declared_ = static_cast<std::uint16_t>(buffer_[3] << 8 | buffer_[4]);
        }
        complete = CompleteLocked();
    }
    // Only a whole frame ends the wait: waking the exchange for every piece
    // of a paced answer costs two thread switches each and finds nothing.
    if (complete)
        changed_.notify_all();
}

bool ResponseAssembler::CompleteLocked() const
{
    // Below 5 bytes the declared length is stale, from an earlier frame.
    return buffer_.size() >= 5 && static_cast<std::size_t>(declared_) + 7 == buffer_.size();
}

bool ResponseAssembler::IsComplete() const
{
    std::lock_guard lock(mutex_);
    return CompleteLocked();
}

std::vector<std::uint8_t> ResponseAssembler::Bytes() const
{
    std::lock_guard lock(mutex_);
    return buffer_;
}

std::int32_t ResponseAssembler::Count() const
{
    std::lock_guard lock(mutex_);
    return static_cast<std::int32_t>(buffer_.size());
}

void ResponseAssembler::LineLost(const std::string& reason)
{
    {
        std::lock_guard lock(mutex_);
        lineLost_ = true;
        lostReason_ = reason;
    }
    changed_.notify_all();
}

ResponseAssembler::WaitResult ResponseAssembler::WaitUntil(std::chrono::steady_clock::time_point deadline,
                                                           std::vector<std::uint8_t>* frame, std::string* reason)
{
    std::unique_lock lock(mutex_);
    changed_.wait_until(lock, deadline, [this] { return lineLost_ || CompleteLocked(); });
    if (lineLost_) {
        if (reason)
            *reason = lostReason_;
        return WaitResult::LineLost;
    }
    if (!CompleteLocked())
        return WaitResult::TimedOut;
    if (frame)
        *frame = buffer_;
    return WaitResult::Complete;
}

ResponseAssembler& Assembler()
{
    static ResponseAssembler instance;
    return instance;
}

void LinkReceive(std::span<const std::uint8_t> bytes) { Assembler().Feed(bytes); }

void AttachLink(ISerialPort& port)
{
    port.SetReceiveHandler(&LinkReceive);
    port.SetErrorHandler([](const std::string& reason) { Assembler().LineLost(reason); });
}

void SetExchangeTimeout(std::chrono::milliseconds limit) { g_timeoutMs = limit.count(); }

std::chrono::milliseconds ExchangeTimeout() { return std::chrono::milliseconds(g_timeoutMs.load()); }

void SetDataFileLimit(std::int32_t bytes) { g_fileLimit = bytes; }

const TReadState& ReadState() { return g_read; }

void ResetLinkState()
{
    Assembler().Reset();
    g_read = TReadState{};
    LinkCancel = false;
    g_timeoutMs = kDefaultExchangeTimeout.count();
    g_fileLimit = kDefaultDataFileLimit;
}

// ---- payloads --------------------------------------------------------------

std::vector<std::uint8_t> SettingsPayload(int language, int mode, bool activities, bool events, bool speed,
                                          bool technical)
{
    return {static_cast<std::uint8_t>(language & 0xFF),
            static_cast<std::uint8_t>(mode & 0xFF),
            0x01, 0x01,
            0x02, static_cast<std::uint8_t>(activities ? 1 : 0),
            0x03, static_cast<std::uint8_t>(events ? 1 : 0),
            0x04, static_cast<std::uint8_t>(speed ? 1 : 0),
            0x05, static_cast<std::uint8_t>(technical ? 1 : 0)};
}

std::vector<std::uint8_t> ClockPayload(const TVexaDateTime& t, bool useDeviceClock)
{
    return {static_cast<std::uint8_t>(t.day & 0xFF),
            static_cast<std::uint8_t>(t.month & 0xFF),
            static_cast<std::uint8_t>((t.year - 2000) & 0xFF),
            static_cast<std::uint8_t>(t.hour & 0xFF),
            static_cast<std::uint8_t>(t.minute & 0xFF),
            static_cast<std::uint8_t>(useDeviceClock ? 1 : 0)};
}

// ---- exchanges -------------------------------------------------------------

int ClockHandshake(ISerialPort& port, std::uint16_t& value1, std::uint16_t& value2)
{
    return Handshake(port, 0x67, value1, value2);
}

int ConfigurationHandshake(ISerialPort& port, std::uint16_t& value1, std::uint16_t& value2)
{
    return Handshake(port, 0x70, value1, value2);
}

int WriteSettings(int language, int mode, bool activities, bool events, bool speed, bool technical,
                  ISerialPort& port)
{
    return Write71(port, SettingsPayload(language, mode, activities, events, speed, technical), false);
}

int WriteClock(const TVexaDateTime& dateTime, bool useDeviceClock, ISerialPort& port)
{
    return Write71(port, ClockPayload(dateTime, useDeviceClock), true);
}

int EndSettings(ISerialPort& port) { return Simple(port, 0x72, kResultRefused); }

int OpenDataFile(std::uint8_t selector, ISerialPort& port, std::uint16_t& value1, std::uint16_t& value2)
{
    LinkCancel = false;
    g_read.total = 0;
    g_read.received = 0;
    g_read.declaredSize = 0;
    g_read.emptyInARow = 0;
    const std::uint8_t data[] = {selector};
    std::optional<TvexaMessage> r;
    if (const int code = Exchange(port, 0x80, data, r); code != kResultOk)
        return code;
    switch (r->Code()) {
    case 0x00:
        value1 = Word(*r, 0);
        value2 = Word(*r, 2);
        return kResultOk;
    case 0x80: return kResultOpenRefused80;
    case 0x81: return kResultOpenRefused81;
    default: return kResultOk;
    }
}

int ReadDataBlock(TMemoryStream& stream, ISerialPort& port)
{
    std::optional<TvexaMessage> r;
    if (const int code = Exchange(port, 0x81, r); code != kResultOk)
        return code;
    switch (r->Code()) {
    case 0x00: break;
    case 0x83: return g_read.gotBlock ? kResultEndOfFile : kResultEmptyFile;
    default: return kResultBlockRefused;
    }
    g_read.gotBlock = true;
    const std::span<const std::uint8_t> block = r->Payload();
    g_read.emptyInARow = block.empty() ? g_read.emptyInARow + 1 : 0;
    if (g_read.emptyInARow >= kMaxEmptyBlocksInARow)
        return kResultEmptyBlocks;
    const std::int64_t bound = g_read.declaredSize > 0 ? g_read.declaredSize : std::int64_t{g_fileLimit.load()};
    if (static_cast<std::int64_t>(block.size()) > bound - g_read.received)
        return kResultDataFileTooLong;
    stream.Write(block);
    if (g_read.total == 0) {
        g_read.total = DeclaredDataFileLength(block);
        // Only a declaration at the start of the file sizes the file.
        if (g_read.total > 0 && g_read.received == 0)
            g_read.declaredSize = DeclaredDataFileSize(block);
    }
    g_read.received += static_cast<std::int32_t>(block.size());
    if (g_read.progress) {
        bool cancel = LinkCancel;
        g_read.progress(g_read.total, g_read.received, cancel);
        LinkCancel = cancel;
    }
    return kResultOk;
}

int ReadDataFile(TMemoryStream& stream, ISerialPort& port, ProgressCallback progress)
{
    g_read.total = 0;
    g_read.received = 0;
    g_read.gotBlock = false;
    g_read.declaredSize = 0;
    g_read.emptyInARow = 0;
    g_read.progress = std::move(progress);
    // The callback belongs to its caller's lifetime, also when the port throws.
    struct Unbind {
        ~Unbind() { g_read.progress = nullptr; }
    } unbind;
    int code = kResultOk;
    for (;;) {
        code = ReadDataBlock(stream, port);
        if (LinkCancel) {
            code = kResultCancelled;
            break;
        }
        if (code != kResultOk)
            break;
    }
    return code;
}

int FinishAndDelete(ISerialPort& port) { return Simple(port, 0x83, kResultBlockRefused); }

int FinishAndKeep(ISerialPort& port) { return Simple(port, 0x84, kResultBlockRefused); }
