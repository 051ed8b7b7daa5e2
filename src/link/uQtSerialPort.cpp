#include "uQtSerialPort.h"

#include "uSettingsStore.h"

#include <QMetaObject>
#include <QRegularExpression>
#include <QSerialPort>
#include <QThread>

#include <exception>

namespace {

// A frame leaves in well under a second at 57600 baud; a line that takes
// this long to drain is not going to.
constexpr int kWriteTimeoutMs = 5000;

std::string Text(const QString& s) { return s.toLocal8Bit().toStdString(); }

} // namespace

QString ResolvePortName(const QString& name)
{
#ifdef Q_OS_WIN
    return name;
#else
    static const QRegularExpression com(QStringLiteral("^COM([0-9]{1,9})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(name.trimmed());
    if (!m.hasMatch())
        return name;
    const int n = m.captured(1).toInt();
    const QString key = QStringLiteral("Ports/COM%1").arg(n);
    if (const QString mapped = UserSettings()->value(key).toString(); !mapped.isEmpty())
        return mapped;
    if (n < 1)
        return name;
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

TQtSerialPort::TQtSerialPort()
{
    thread_ = new QThread;
    thread_->setObjectName(QStringLiteral("serial port"));
    context_ = new QObject;
    context_->moveToThread(thread_);
    thread_->start();
    OnPortThread([this] { CreatePort(); });
}

TQtSerialPort::~TQtSerialPort()
{
    OnPortThread([this] {
        delete port_;
        port_ = nullptr;
        std::lock_guard lock(handlerMutex_);
        receive_ = nullptr;
        error_ = nullptr;
    });
    thread_->quit();
    thread_->wait();
    delete context_;
    delete thread_;
}

template <class F> void TQtSerialPort::OnPortThread(F&& f)
{
    if (QThread::currentThread() == thread_) {
        f();
        return;
    }
    std::exception_ptr failure;
    const bool ran = QMetaObject::invokeMethod(
        context_,
        [&] {
            try {
                f();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (!ran)
        throw ESerialPort("the serial port's thread is not running");
    if (failure)
        std::rethrow_exception(failure);
}

void TQtSerialPort::CreatePort()
{
    port_ = new QSerialPort;
    QObject::connect(port_, &QSerialPort::readyRead, context_, [this] { OnReadyRead(); });
    QObject::connect(port_, &QSerialPort::errorOccurred, context_,
                     [this](QSerialPort::SerialPortError e) { OnError(static_cast<int>(e)); });
}

void TQtSerialPort::OnReadyRead()
{
    while (port_ && port_->bytesAvailable() > 0) {
        const QByteArray bytes = port_->readAll();
        if (bytes.isEmpty())
            break;
        std::lock_guard lock(handlerMutex_);
        if (receive_)
            receive_(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                   static_cast<std::size_t>(bytes.size())));
    }
}

void TQtSerialPort::OnError(int error)
{
    const auto e = static_cast<QSerialPort::SerialPortError>(error);
    if (e != QSerialPort::ResourceError && e != QSerialPort::ReadError)
        return; // open and write failures are thrown by their calls
    if (!lostReason_.empty() || !port_ || !port_->isOpen())
        return;
    lostReason_ = Text(device_ + QStringLiteral(": the line was lost (") + port_->errorString()
                       + QLatin1Char(')'));
    // Closed later: QSerialPort is still inside its own notification here.
    QMetaObject::invokeMethod(
        context_,
        [this] {
            if (port_ && !lostReason_.empty()) {
                port_->close();
                open_ = false;
            }
        },
        Qt::QueuedConnection);
    std::lock_guard lock(handlerMutex_);
    if (error_)
        error_(lostReason_);
}

void TQtSerialPort::SetName(const std::string& name)
{
    std::lock_guard lock(nameMutex_);
    name_ = name;
}

std::string TQtSerialPort::Name() const
{
    std::lock_guard lock(nameMutex_);
    return name_;
}

void TQtSerialPort::Open()
{
    const QString device = ResolvePortName(QString::fromStdString(Name()));
    OnPortThread([&] {
        if (port_->isOpen())
            port_->close();
        lostReason_.clear();
        device_ = device;
        port_->setPortName(device);
        port_->setBaudRate(QSerialPort::Baud57600);
        port_->setDataBits(QSerialPort::Data8);
        port_->setParity(QSerialPort::NoParity);
        port_->setStopBits(QSerialPort::OneStop);
        port_->setFlowControl(QSerialPort::NoFlowControl);
        if (!port_->open(QIODevice::ReadWrite))
            throw ESerialPort(Text(device + QStringLiteral(": ") + port_->errorString()));
        // A pseudo-terminal has no modem lines: that is no reason to fail.
        auto lineOn = [&](bool ok) {
            if (ok)
                return;
            if (port_->error() == QSerialPort::UnsupportedOperationError) {
                port_->clearError();
                return;
            }
            const std::string reason = Text(device + QStringLiteral(": ") + port_->errorString());
            port_->close();
            throw ESerialPort(reason);
        };
        lineOn(port_->setDataTerminalReady(true));
        lineOn(port_->setRequestToSend(true));
        // An answer left from an earlier run (killed mid-block) would be taken
        // for the answer to our first request, and every frame after it.
        if (!port_->clear(QSerialPort::Input) && port_->error() == QSerialPort::UnsupportedOperationError)
            port_->clearError();
        open_ = true;
    });
}

void TQtSerialPort::Close()
{
    OnPortThread([this] {
        if (port_->isOpen())
            port_->close();
        port_->clearError();
        open_ = false;
    });
}

bool TQtSerialPort::IsOpen() const { return open_; }

void TQtSerialPort::Write(std::span<const std::uint8_t> bytes)
{
    OnPortThread([&] {
        if (!lostReason_.empty())
            throw ESerialPort(lostReason_);
        if (!port_->isOpen())
            throw ESerialPort(Text(device_ + QStringLiteral(": the port is not open")));
        const auto size = static_cast<qint64>(bytes.size());
        const qint64 queued = port_->write(reinterpret_cast<const char*>(bytes.data()), size);
        auto fail = [&](const QString& what) {
            throw ESerialPort(Text(device_ + QStringLiteral(": ") + what));
        };
        if (queued != size)
            fail(port_->errorString());
        while (port_->bytesToWrite() > 0) {
            if (!port_->waitForBytesWritten(kWriteTimeoutMs)) {
                if (!lostReason_.empty())
                    throw ESerialPort(lostReason_);
                fail(port_->error() == QSerialPort::TimeoutError ? QStringLiteral("write timed out")
                                                                 : port_->errorString());
            }
        }
    });
}

void TQtSerialPort::SetReceiveHandler(ReceiveHandler handler)
{
    std::lock_guard lock(handlerMutex_);
    receive_ = std::move(handler);
}

void TQtSerialPort::SetErrorHandler(ErrorHandler handler)
{
    std::lock_guard lock(handlerMutex_);
    error_ = std::move(handler);
}
