// How soon an exchange returns once its answer is complete. A device in this
// process answers on the master side of a pty, unpaced, and notes the
// monotonic time just before it writes each answer's last byte; the program's
// own exchanges over the Qt serial adapter note when they return. The same
// device also notes when each request arrives, which gives the turnaround:
// the line's idle time between an answer and the next request.

#include "Bench.h"
#include "BenchPort.h"
#include "BenchSupport.h"

#include "SimPty.h"
#include "uArdoVexa.h"
#include "uArdoVexaMess.h"
#include "uMemoryStream.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace {

class TEchoDevice {
public:
    TEchoDevice(int master, std::size_t block) : master_(master), block_(block) {}

    void Run()
    {
        std::vector<std::uint8_t> frame;
        std::uint8_t buf[4096];
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const ssize_t got = ::read(master_, buf, sizeof buf);
            const std::int64_t arrived = bench::MonotonicNs();
            for (ssize_t i = 0; i < got; ++i) {
                if (frame.empty() && buf[i] != 0x02)
                    continue;
                frame.push_back(buf[i]);
                if (frame.size() >= 5 && frame.size() == static_cast<std::size_t>(frame[3] << 8 | frame[4]) + 7u) {
                    Answer(frame[5], arrived);
                    frame.clear();
                }
            }
        }
    }

    void Stop() { stop_ = true; }

    // Per 81h: when its request arrived, when its answer's last byte went out.
    std::vector<std::int64_t> requestArrived;
    std::vector<std::int64_t> lastByteWritten;

private:
    void Answer(std::uint8_t command, std::int64_t arrived)
    {
        std::vector<std::uint8_t> data;
        if (command == 0x80)
            data = {0x00, 0x01, 0x02, 0x00};
        else if (command == 0x81)
            data.assign(block_, 0x5A);
        // The status goes where a request has its command.
        TvexaMessage answer(0x00, data);
        const auto& wire = answer.Data;
        WriteAll(wire.data(), wire.size() - 1);
        const std::int64_t last = bench::MonotonicNs();
        WriteAll(wire.data() + wire.size() - 1, 1);
        if (command == 0x81) {
            requestArrived.push_back(arrived);
            lastByteWritten.push_back(last);
        }
    }

    void WriteAll(const std::uint8_t* bytes, std::size_t size)
    {
        while (size > 0) {
            const ssize_t w = ::write(master_, bytes, size);
            if (w > 0) {
                bytes += w;
                size -= static_cast<std::size_t>(w);
                continue;
            }
            pollfd p{master_, POLLOUT, 0};
            ::poll(&p, 1, 100);
        }
    }

    int master_;
    std::size_t block_;
    std::atomic<bool> stop_{false};
};

std::string Micro(double ns) { return bench::Fixed(ns / 1000.0, 0) + " µs"; }

std::string Spread(const std::vector<double>& ns)
{
    double max = 0;
    for (const double v : ns)
        max = std::max(max, v);
    return "median " + Micro(bench::Quantile(ns, 0.5)) + ", p99 " + Micro(bench::Quantile(ns, 0.99)) + ", max " +
           Micro(max);
}

} // namespace

int RunLatency(int argc, char** argv)
{
    const bench::Options options(argc, argv, 2);
    const int exchanges = static_cast<int>(options.Number("exchanges", 1000));
    const auto block = static_cast<std::size_t>(options.Number("block", 512));
    constexpr int kWarmUp = 20;

    SimPty pty;
    std::string error;
    if (!pty.Open(error)) {
        std::fprintf(stderr, "latency: %s\n", error.c_str());
        return 1;
    }
    TEchoDevice device(pty.Master(), block);
    std::thread deviceThread([&] { device.Run(); });

    std::vector<std::int64_t> returned;
    int code = kResultOk;
    try {
        TBenchPort port(pty.SlavePath());
        port.Open();
        std::uint16_t v1 = 0, v2 = 0;
        code = OpenDataFile(0x01, port, v1, v2);
        TMemoryStream stream;
        for (int i = 0; code == kResultOk && i < kWarmUp + exchanges; ++i) {
            code = ReadDataBlock(stream, port);
            returned.push_back(bench::MonotonicNs());
        }
        FinishAndKeep(port);
        port.Close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "latency: %s\n", e.what());
        code = kResultBadFrame;
    }
    device.Stop();
    deviceThread.join();

    const std::string item = std::to_string(exchanges) + " x 81h, block " + std::to_string(block) + ", unpaced";
    if (code != kResultOk || device.lastByteWritten.size() < returned.size()) {
        bench::Row("Completion latency", item, "exchanges failed: result " + std::to_string(code));
        return 1;
    }
    std::vector<double> completion;
    std::vector<double> turnaround;
    for (std::size_t i = kWarmUp; i < returned.size(); ++i) {
        completion.push_back(static_cast<double>(returned[i] - device.lastByteWritten[i]));
        if (i + 1 < device.requestArrived.size())
            turnaround.push_back(static_cast<double>(device.requestArrived[i + 1] - device.lastByteWritten[i]));
    }
    bench::Row("Completion latency", item + ": last answer byte written to exchange returned", Spread(completion));
    bench::Row("Turnaround", item + ": last answer byte written to next request read", Spread(turnaround));
    return 0;
}
