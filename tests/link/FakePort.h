#pragma once
// A fake Vexa behind the ISerialPort seam.  Each written request goes to a
// responder, whose answer comes back through the receive handler: at once
// inside Write, or, when threaded, byte by byte from a device thread of its own.

#include "uArdoVexaMess.h"
#include "uSerialPort.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pellkit::test {

using Bytes = std::vector<std::uint8_t>;

// A well-formed response frame: the status takes the command's place.
inline Bytes Response(std::uint8_t status, const Bytes& data = {})
{
    return TvexaMessage(status, data).Data;
}

class FakePort : public ISerialPort {
public:
    using Responder = std::function<Bytes(const Bytes& request)>;

    explicit FakePort(Responder responder = {}, bool threaded = false)
        : responder_(std::move(responder)), threaded_(threaded)
    {
        if (threaded_)
            device_ = std::thread([this] { Run(); });
    }
    ~FakePort() override
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        if (device_.joinable())
            device_.join();
    }

    void SetName(const std::string& name) override { name_ = name; }
    std::string Name() const override { return name_; }
    void Open() override { open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }

    void Write(std::span<const std::uint8_t> bytes) override
    {
        if (!writeError.empty())
            throw ESerialPort(writeError);
        Bytes request(bytes.begin(), bytes.end());
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
            if (threaded_) {
                queue_.push_back(std::move(request));
                wake_.notify_all();
                return;
            }
        }
        Deliver(responder_ ? responder_(request) : Bytes{});
    }

    void SetReceiveHandler(ReceiveHandler handler) override
    {
        std::lock_guard lock(mutex_);
        receive_ = std::move(handler);
    }
    void SetErrorHandler(ErrorHandler handler) override
    {
        std::lock_guard lock(mutex_);
        error_ = std::move(handler);
    }

    // Bytes the device sends of its own accord (noise, late bytes).
    void Deliver(const Bytes& bytes)
    {
        ReceiveHandler handler;
        {
            std::lock_guard lock(mutex_);
            handler = receive_;
        }
        if (!handler)
            return;
        if (threaded_) {
            for (const std::uint8_t b : bytes)
                handler(std::span<const std::uint8_t>(&b, 1));
        } else if (!bytes.empty()) {
            handler(bytes);
        }
    }

    void Hangup(const std::string& reason)
    {
        ErrorHandler handler;
        {
            std::lock_guard lock(mutex_);
            handler = error_;
        }
        if (handler)
            handler(reason);
    }

    std::vector<Bytes> Requests() const
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    std::vector<std::uint8_t> Commands() const
    {
        std::vector<std::uint8_t> codes;
        for (const Bytes& r : Requests())
            codes.push_back(r.size() > 5 ? r[5] : 0);
        return codes;
    }

    std::string writeError; // when set, Write throws it

private:
    void Run()
    {
        for (;;) {
            Bytes request;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
                if (stop_)
                    return;
                request = std::move(queue_.front());
                queue_.pop_front();
            }
            Deliver(responder_ ? responder_(request) : Bytes{});
        }
    }

    Responder responder_;
    const bool threaded_;
    std::string name_ = "COM1";
    bool open_ = true;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Bytes> queue_;
    std::vector<Bytes> requests_;
    ReceiveHandler receive_;
    ErrorHandler error_;
    bool stop_ = false;
    std::thread device_;
};

} // namespace pellkit::test
