#include "link/SerialLink.h"

#include "link/ReadDeadline.h"

#ifdef ZMX_HAVE_SERIALPORT
#include <termios.h>
#include <unistd.h>

#include <QSerialPort>
#endif

namespace zmx {

#ifdef ZMX_HAVE_SERIALPORT

struct SerialLink::Port {
    QSerialPort port;
};

SerialLink::SerialLink(std::string path, uint32_t rate)
    : path_(std::move(path)), rate_(rate), port_(std::make_unique<Port>()) {}
SerialLink::~SerialLink() { close(); }

bool SerialLink::available() { return true; }

namespace {

std::string portError(const QSerialPort& p) { return p.errorString().toStdString(); }

// A device error, as opposed to a wait that simply ran out.
bool realError(const QSerialPort& p) {
    return p.error() != QSerialPort::NoError && p.error() != QSerialPort::TimeoutError;
}

// A USB serial tty drops DTR and RTS when it is closed (HUPCL), and a board that wires them
// to its microcontroller's reset would be reset by it. The port is held open anyway; this
// also keeps the lines as they are when the program ends or the port is reopened.
void keepLinesOnClose(QSerialPort& p) {
    termios t{};
    const int fd = static_cast<int>(p.handle());
    if (fd < 0 || ::tcgetattr(fd, &t) != 0) return;
    if (!(t.c_cflag & HUPCL)) return;
    t.c_cflag &= ~tcflag_t(HUPCL);
    ::tcsetattr(fd, TCSANOW, &t);
}

}  // namespace

bool SerialLink::isOpen() const { return port_->port.isOpen(); }

// Qt reports a port that another process has locked as a permission error; the lock file, not
// the device's rights, is then the cause, and the user needs to hear which.
static std::string openFailureText(const std::string& path, const QSerialPort& p) {
    std::string text = "cannot open " + path + ": " + portError(p);
    if (p.error() == QSerialPort::PermissionError) {
        if (::access(path.c_str(), R_OK | W_OK) == 0)
            text += " (another program has the port open: close it, or choose another --link)";
        else text += " (add your user to the dialout group, or install the udev rule of the README)";
    } else if (p.error() == QSerialPort::DeviceNotFoundError) {
        text += " (is the LK200 plugged in? --list-links shows the ports there are)";
    }
    return text;
}

bool SerialLink::setLine() {
    QSerialPort& p = port_->port;
    // Raw 8N1 without flow control, so no byte is held back or translated.
    if (!p.setBaudRate(static_cast<qint32>(rate_))) {
        lastError_ = path_ + " refused the line rate " + std::to_string(rate_) + " baud: " + portError(p);
        return false;
    }
    if (!p.setDataBits(QSerialPort::Data8) || !p.setParity(QSerialPort::NoParity) ||
        !p.setStopBits(QSerialPort::OneStop) || !p.setFlowControl(QSerialPort::NoFlowControl)) {
        lastError_ = path_ + " refused 8N1 without flow control: " + portError(p);
        return false;
    }
    return true;
}

bool SerialLink::open() {
    QSerialPort& p = port_->port;
    if (p.isOpen()) p.close();
    p.setPortName(QString::fromStdString(path_));
    if (!p.open(QIODevice::ReadWrite)) {
        lastError_ = openFailureText(path_, p);
        return false;
    }
    if (!setLine()) {
        p.close();
        return false;
    }
    keepLinesOnClose(p);
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
        close();
        return 0;
    }
    // Without an event loop the port only moves bytes inside the wait calls.
    const int64_t deadline = steadyNowMs() + writeMs_;
    while (p.bytesToWrite() > 0) {
        const int64_t left = deadline - steadyNowMs();
        if (left <= 0 || (!p.waitForBytesWritten(static_cast<int>(left)) && realError(p))) break;
    }
    const qint64 pending = p.bytesToWrite();
    if (pending > 0) {
        lastError_ = "write to " + path_ + " did not complete: " + portError(p);
        close();  // what is still queued must not reach the next transfer
    }
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
    if (r.failed) {
        lastError_ = "read from " + path_ + " failed: " + portError(p);
        close();
    }
    return std::move(r.bytes);
}

void SerialLink::purgeInput() {
    QSerialPort& p = port_->port;
    if (!p.isOpen()) return;
    p.clearError();
    p.clear(QSerialPort::Input);
    p.readAll();
    if (realError(p)) {  // a device unplugged since the last transfer
        lastError_ = "the device " + path_ + " went away: " + portError(p);
        close();
    }
}

void SerialLink::close() {
    if (port_ && port_->port.isOpen()) port_->port.close();
}

#else  // built without Qt Serial Port

struct SerialLink::Port {};
SerialLink::SerialLink(std::string path, uint32_t rate) : path_(std::move(path)), rate_(rate) {}
SerialLink::~SerialLink() = default;
bool SerialLink::available() { return false; }
bool SerialLink::isOpen() const { return false; }
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
