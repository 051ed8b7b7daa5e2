#pragma once
// ISerialPort over QSerialPort.  The QSerialPort lives in a QThread of its
// own with an event loop: every call is carried over to that thread (a
// QSerialPort touched from another thread silently sends nothing), and its
// readyRead hands every byte, in arrival order, to the receive handler.
// A lost line (cable pulled, hang-up) closes the port and calls the error
// handler, so that a waiting exchange ends at once.  Needs a
// QCoreApplication (the port thread's event loop does).

#include "uSerialPort.h"

#include <QList>
#include <QString>

#include <atomic>
#include <mutex>
#include <string>

class QObject;
class QSerialPort;
class QThread;

// "COMn" as the user knows it -> the system's device.  On Windows as is;
// elsewhere the setting "Ports/COMn" when present, else /dev/ttyS(n-1).
// Anything else (a device path) is returned unchanged.
QString ResolvePortName(const QString& name);

// A serial port the system knows of, as the port choice offers it.
struct TDetectedPort {
    QString device;       // what the port opens: /dev/ttyUSB0, or COM7 on Windows
    QString description;  // the adapter's own words ("FT232R USB UART"); may be empty
};
// The system's serial ports, in the order of their names.
QList<TDetectedPort> DetectedSerialPorts();

// Whether the port (COMn or a device path) exists but this user may not open
// it (EACCES): on Linux, a user outside the group that owns serial devices.
bool PortAccessDenied(const QString& name);

class TQtSerialPort : public ISerialPort {
public:
    TQtSerialPort();
    ~TQtSerialPort() override;
    TQtSerialPort(const TQtSerialPort&) = delete;
    TQtSerialPort& operator=(const TQtSerialPort&) = delete;

    void SetName(const std::string& name) override;
    std::string Name() const override;
    // 57600 baud, 8N1, no flow control, DTR and RTS on.  Throws ESerialPort
    // with the device and the system's reason.
    void Open() override;
    void Close() override;
    bool IsOpen() const override;
    void Write(std::span<const std::uint8_t> bytes) override;
    void SetReceiveHandler(ReceiveHandler handler) override;
    void SetErrorHandler(ErrorHandler handler) override;

private:
    template <class F> void OnPortThread(F&& f);
    void CreatePort();
    void OnReadyRead();
    void OnError(int error);

    QThread* thread_ = nullptr;
    QObject* context_ = nullptr; // lives in thread_
    // Below: touched on thread_ only.
    QSerialPort* port_ = nullptr;
    QString device_; // as opened, for the reasons of failures
    std::string lostReason_; // set once the line is lost, until the next Open

    // Set from any thread without a trip to thread_ (every exchange sets
    // them); held while a handler runs, so a replaced one is never called.
    std::recursive_mutex handlerMutex_;
    ReceiveHandler receive_;
    ErrorHandler error_;

    mutable std::mutex nameMutex_;
    std::string name_ = "COM1";
    std::atomic<bool> open_{false};
};
