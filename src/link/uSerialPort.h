#pragma once
// The serial port as the link sees it. The product implements it over
// QSerialPort (uQtSerialPort); tests substitute a fake device.

#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>

// Raised by Open and Write with the system's reason.
class ESerialPort : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ISerialPort {
public:
    using ReceiveHandler = std::function<void(std::span<const std::uint8_t>)>;
    // Called when the line is lost (cable pulled) so that a waiting exchange ends at once.
    using ErrorHandler = std::function<void(const std::string& reason)>;

    virtual ~ISerialPort() = default;

    virtual void SetName(const std::string& name) = 0;
    virtual std::string Name() const = 0;
    virtual void Open() = 0;  // throws ESerialPort
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Sends the whole buffer or throws ESerialPort.
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;

    // Bytes arrive on the port's own thread, in arrival order.
    virtual void SetReceiveHandler(ReceiveHandler handler) = 0;
    virtual void SetErrorHandler(ErrorHandler handler) = 0;
};

// Opens a port under a name and closes it again on every way out.
class TPortGuard {
public:
    explicit TPortGuard(ISerialPort& port) : port_(port) {}
    ~TPortGuard()
    {
        if (!open_)
            return;
        try {
            port_.Close();
        } catch (...) {
            // A port that cannot even be closed has nothing left to tell us.
        }
    }
    TPortGuard(const TPortGuard&) = delete;
    TPortGuard& operator=(const TPortGuard&) = delete;

    // Names and opens the port; throws ESerialPort with the system's reason.
    void Open(const std::string& name)
    {
        port_.SetName(name);
        port_.Open();
        open_ = true;
    }

private:
    ISerialPort& port_;
    bool open_ = false;
};
