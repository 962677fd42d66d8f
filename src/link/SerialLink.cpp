#include "link/SerialLink.h"

#include "link/ReadDeadline.h"

#ifdef ZMX_HAVE_SERIALPORT
#include <QSerialPort>
#endif

namespace zmx {

#ifdef ZMX_HAVE_SERIALPORT

struct SerialLink::Port {
    QSerialPort port;
};

SerialLink::SerialLink(std::string path) : path_(std::move(path)), port_(std::make_unique<Port>()) {}
SerialLink::~SerialLink() { close(); }

bool SerialLink::available() { return true; }

namespace {

std::string portError(const QSerialPort& p) { return p.errorString().toStdString(); }

// A device error, as opposed to a wait that simply ran out.
bool realError(const QSerialPort& p) {
    return p.error() != QSerialPort::NoError && p.error() != QSerialPort::TimeoutError;
}

}  // namespace

bool SerialLink::open() {
    QSerialPort& p = port_->port;
    if (p.isOpen()) p.close();
    p.setPortName(QString::fromStdString(path_));
    if (!p.open(QIODevice::ReadWrite)) {
        lastError_ = "cannot open " + path_ + ": " + portError(p);
        if (p.error() == QSerialPort::PermissionError)
            lastError_ += " (add your user to the dialout group, or install the udev rule of the README)";
        return false;
    }
    // The FTDI virtual COM port ignores the rate, but a pseudo-terminal or a real UART needs a
    // defined raw 8N1 line without flow control so no byte is held back or translated.
    p.setBaudRate(QSerialPort::Baud115200);
    p.setDataBits(QSerialPort::Data8);
    p.setParity(QSerialPort::NoParity);
    p.setStopBits(QSerialPort::OneStop);
    p.setFlowControl(QSerialPort::NoFlowControl);
    p.clearError();
    lastError_.clear();
    return true;
}

void SerialLink::setTimeouts(int readMs, int writeMs) {
    readMs_ = readMs;
    writeMs_ = writeMs;
}

std::size_t SerialLink::write(std::string_view bytes) {
    QSerialPort& p = port_->port;
    if (!p.isOpen() || bytes.empty()) return 0;
    const qint64 queued = p.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (queued < 0) {
        lastError_ = "write to " + path_ + " failed: " + portError(p);
        return 0;
    }
    // Without an event loop the port only moves bytes inside the wait calls.
    const int64_t deadline = steadyNowMs() + writeMs_;
    while (p.bytesToWrite() > 0) {
        const int64_t left = deadline - steadyNowMs();
        if (left <= 0 || (!p.waitForBytesWritten(static_cast<int>(left)) && realError(p))) break;
    }
    const qint64 pending = p.bytesToWrite();
    if (pending > 0) lastError_ = "write to " + path_ + " did not complete: " + portError(p);
    return static_cast<std::size_t>(queued - pending);
}

std::string SerialLink::read(std::size_t maxBytes) {
    QSerialPort& p = port_->port;
    if (!p.isOpen()) return {};
    p.clearError();
    auto readSome = [&](std::size_t want, int waitMs) -> std::optional<std::string> {
        if (p.bytesAvailable() == 0 && waitMs > 0 && !p.waitForReadyRead(waitMs) && realError(p)) return std::nullopt;
        const QByteArray got = p.read(static_cast<qint64>(want));
        return std::string(got.constData(), static_cast<std::size_t>(got.size()));
    };
    DeadlineRead r = readWithDeadline(maxBytes, readMs_, readSome, steadyNowMs);
    if (r.failed) lastError_ = "read from " + path_ + " failed: " + portError(p);
    return std::move(r.bytes);
}

void SerialLink::purgeInput() {
    QSerialPort& p = port_->port;
    if (!p.isOpen()) return;
    p.clear(QSerialPort::Input);
    p.readAll();
}

void SerialLink::close() {
    if (port_ && port_->port.isOpen()) port_->port.close();
}

#else  // built without Qt Serial Port

struct SerialLink::Port {};
SerialLink::SerialLink(std::string path) : path_(std::move(path)) {}
SerialLink::~SerialLink() = default;
bool SerialLink::available() { return false; }
bool SerialLink::open() {
    lastError_ = "this build has no serial port support (install qt6-serialport-dev and rebuild)";
    return false;
}
void SerialLink::setTimeouts(int readMs, int writeMs) {
    readMs_ = readMs;
    writeMs_ = writeMs;
}
std::size_t SerialLink::write(std::string_view) { return 0; }
std::string SerialLink::read(std::size_t) { return {}; }
void SerialLink::purgeInput() {}
void SerialLink::close() {}

#endif

}  // namespace zmx
