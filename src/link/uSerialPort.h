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
