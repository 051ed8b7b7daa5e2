#include "SimServer.h"

#include "SimJournal.h"
#include "SimPty.h"
#include "uArdoVexaMess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A request that stops arriving is dropped after this long, so that a lost
// byte cannot wedge the device.
constexpr auto kRequestIdle = std::chrono::milliseconds(1000);

int gStopPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int)
{
    const char b = 1;
    [[maybe_unused]] const ssize_t n = ::write(gStopPipe[1], &b, 1);
}

bool InstallSignals(std::string& error)
{
    if (::pipe2(gStopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    struct sigaction sa{};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    for (const int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool StopRequested()
{
    pollfd p{gStopPipe[0], POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

// Sleeps until the deadline; false when a stop signal came first. To the
// nanosecond: the pacing must not run a millisecond ahead of the line.
bool SleepUntil(Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return !StopRequested();
        const timespec wait{static_cast<time_t>(left / 1000000000), static_cast<long>(left % 1000000000)};
        pollfd p{gStopPipe[0], POLLIN, 0};
        if (::ppoll(&p, 1, &wait, nullptr) > 0)
            return false;
    }
}

// Requests are framed by their length field, like the answers.
class RequestAssembler {
public:
    // Returns true when a whole frame is ready in Frame().
    bool Feed(std::uint8_t b)
    {
        if (buffer_.empty()) {
            if (b != 0x02)
                return false;
        }
        buffer_.push_back(b);
        if (buffer_.size() < 5)
            return false;
        const std::size_t total = static_cast<std::size_t>(buffer_[3]) * 256 + buffer_[4] + 7;
        return buffer_.size() == total;
    }
    const std::vector<std::uint8_t>& Frame() const { return buffer_; }
    bool Partial() const { return !buffer_.empty(); }
    void Clear() { buffer_.clear(); }

private:
    std::vector<std::uint8_t> buffer_;
};

class Server {
public:
    explicit Server(const ServeOptions& options) : options_(options), device_(options.device) {}

    int Run()
    {
        // The default 50 µs of timer slack would land every paced answer late.
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        std::string error;
        if (!InstallSignals(error) || (!options_.journal.empty() && !journal_.Open(options_.journal, error)) ||
            !OpenLine(error)) {
            std::fprintf(stderr, "vexa-sim: %s\n", error.c_str());
            RemoveLink();
            return 1;
        }
        Loop();
        journal_.State("stopped");
        RemoveLink();
        return lineLost_ ? 1 : 0;
    }

private:
    bool OpenLine(std::string& error)
    {
        if (!pty_.Open(error))
            return false;
        if (!options_.link.empty() && !PlaceLink(error))
            return false;
        std::printf("%s\n", pty_.SlavePath().c_str());
        std::fflush(stdout);
        return true;
    }

    // The link is replaced atomically so that a program never finds it missing.
    bool PlaceLink(std::string& error)
    {
        namespace fs = std::filesystem;
        const fs::path link(options_.link);
        std::error_code ec;
        const auto st = fs::symlink_status(link, ec);
        if (fs::exists(st) && !fs::is_symlink(st)) {
            error = "--link " + options_.link + " exists and is not a symlink; not replacing it";
            return false;
        }
        const fs::path tmp = link.string() + ".vexa-sim-tmp";
        fs::remove(tmp, ec);
        fs::create_symlink(pty_.SlavePath(), tmp, ec);
        if (!ec)
            fs::rename(tmp, link, ec);
        if (ec) {
            fs::remove(tmp, ec);
            error = "cannot create symlink " + options_.link + ": " + ec.message();
            return false;
        }
        linkPlaced_ = true;
        return true;
    }

    void RemoveLink()
    {
        namespace fs = std::filesystem;
        if (!linkPlaced_)
            return;
        std::error_code ec;
        if (fs::is_symlink(fs::symlink_status(options_.link, ec)) &&
            fs::read_symlink(options_.link, ec) == fs::path(pty_.SlavePath()))
            fs::remove(options_.link, ec);
    }

    void Loop()
    {
        auto lastByte = Clock::now();
        bool released = true;
        while (true) {
            pollfd fds[2] = {{pty_.Master(), POLLIN, 0}, {gStopPipe[0], POLLIN, 0}};
            const int n = ::poll(fds, 2, 250);
            if (n < 0 && errno != EINTR)
                return;
            if (fds[1].revents)
                return;
            if (fds[0].revents & POLLIN) {
                std::uint8_t buf[4096];
                const ssize_t got = ::read(pty_.Master(), buf, sizeof buf);
                if (got > 0) {
                    lastByte = Clock::now();
                    released = false;
                    for (ssize_t i = 0; i < got; ++i) {
                        if (!assembler_.Partial())
                            requestStart_ = lastByte;
                        if (assembler_.Feed(buf[i]) && !HandleFrame())
                            return;
                    }
                    continue;
                }
            } else if (fds[0].revents & (POLLHUP | POLLERR)) {
                // Only while our own slave descriptor is gone; do not spin.
                if (!SleepUntil(Clock::now() + std::chrono::milliseconds(100)))
                    return;
            }
            if (Clock::now() - lastByte > kRequestIdle) {
                if (assembler_.Partial()) {
                    journal_.BadRequest("incomplete", assembler_.Frame());
                    assembler_.Clear();
                }
                if (!released) {
                    pty_.ReleaseExclusive();
                    released = true;
                }
            }
        }
    }

    // False when the server must stop.
    bool HandleFrame()
    {
        const TvexaMessage request(assembler_.Frame());
        assembler_.Clear();
        // The request took its own time on the line before the answer can start.
        const auto answerStart = requestStart_ + WireTime(request.Data.size());
        if (const int v = request.Validate(); v != kFrameOk) {
            // A damaged request gets no answer: the program's wait runs out,
            // as with a device that did not hear it.
            journal_.BadRequest(std::to_string(v), request.Data);
            return true;
        }
        const std::uint8_t command = request.Code();
        journal_.Request(command, request.Payload());
        const SimReply reply = device_.Handle(command, request.Payload());
        for (const std::string& e : reply.events)
            journal_.State(e);
        std::size_t sent = 0;
        const bool lineOk = Send(reply.wire, sent, answerStart);
        journal_.Answer(command, reply, sent);
        if (StopRequested())
            return false;
        if (reply.hangup || !lineOk)
            return Reopen();
        return true;
    }

    bool Reopen()
    {
        pty_.WaitUntilRead(1000);
        pty_.Close();
        journal_.State("hangup");
        std::string error;
        if (!OpenLine(error)) {
            std::fprintf(stderr, "vexa-sim: cannot reopen the line: %s\n", error.c_str());
            lineLost_ = true;
            return false;
        }
        journal_.State("reopened", pty_.SlavePath());
        return true;
    }

    Clock::duration WireTime(std::size_t bytes) const
    {
        if (options_.bps <= 0)
            return Clock::duration::zero();
        return std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(static_cast<double>(bytes) / static_cast<double>(options_.bps)));
    }

    // False when the line failed. Paced, a chunk goes out when its last byte
    // would have arrived on the line, so the program never gets an answer
    // ahead of the wire and its own delays show as idle line.
    bool Send(const std::vector<std::uint8_t>& bytes, std::size_t& sent, Clock::time_point start)
    {
        const std::size_t chunk =
            options_.bps > 0 ? static_cast<std::size_t>(std::max<long>(1, options_.bps / 50)) : bytes.size();
        while (sent < bytes.size()) {
            const std::size_t want = std::min(chunk, bytes.size() - sent);
            if (options_.bps > 0 && !SleepUntil(start + WireTime(sent + want)))
                return true;
            std::size_t done = 0;
            while (done < want) {
                const ssize_t w = ::write(pty_.Master(), bytes.data() + sent + done, want - done);
                if (w > 0) {
                    done += static_cast<std::size_t>(w);
                    continue;
                }
                if (w < 0 && errno != EAGAIN && errno != EINTR)
                    return false;
                // The program is not reading: wait for room, or for a stop.
                pollfd fds[2] = {{pty_.Master(), POLLOUT, 0}, {gStopPipe[0], POLLIN, 0}};
                if (::poll(fds, 2, 250) > 0 && fds[1].revents) {
                    sent += done;
                    return true;
                }
            }
            sent += done;
        }
        return true;
    }

    const ServeOptions& options_;
    SimDevice device_;
    SimJournal journal_;
    SimPty pty_;
    RequestAssembler assembler_;
    Clock::time_point requestStart_; // when the current request's first byte came in
    bool linkPlaced_ = false;
    bool lineLost_ = false;
};

} // namespace

int RunServer(const ServeOptions& options)
{
    Server server(options);
    return server.Run();
}
