#include "link/FtdiLink.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <thread>

#include "link/ReadDeadline.h"

#ifdef ZMX_HAVE_LIBFTDI
#include <ftdi.h>
#include <libusb.h>
#endif

namespace zmx {

namespace {

// The library's message of the last failure; it has none before the first one.
[[maybe_unused]] std::string errorStringOf(const char* s) { return s ? std::string(s) : std::string(); }

bool contains(std::string_view text, std::string_view part) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.find(part) != std::string::npos;
}

}  // namespace

// libftdi1 1.5 answers a failed open with -8 "inappropriate permissions on device!" (also
// when the kernel driver could not be detached for want of rights), -5 "unable to claim usb
// device. Make sure the default FTDI driver is not in use", -4 "libusb_open() failed"; a
// search that cannot list the bus gives negative codes of its own.
FtdiOpenFailure classifyFtdiOpenError(int code, std::string_view message, bool duringFind) {
    if (code >= 0) return duringFind ? FtdiOpenFailure::NoDevice : FtdiOpenFailure::None;
    if (contains(message, "permission") || contains(message, "access")) return FtdiOpenFailure::Permission;
    if (contains(message, "claim") || contains(message, "driver") || contains(message, "busy"))
        return FtdiOpenFailure::KernelDriver;
    if (contains(message, "not found") || contains(message, "no device")) return FtdiOpenFailure::NoDevice;
    if (duringFind) return FtdiOpenFailure::UsbUnavailable;
    // -4 is "libusb_open() failed": the device node is there but may not be opened, which on
    // Linux is the missing access right far more often than anything else.
    if (code == -8 || code == -4) return FtdiOpenFailure::Permission;
    if (code == -5) return FtdiOpenFailure::KernelDriver;
    if (code == -3) return FtdiOpenFailure::NoDevice;
    return FtdiOpenFailure::Other;
}

std::string ftdiOpenErrorText(FtdiOpenFailure why, std::string_view libraryMessage) {
    std::string text;
    switch (why) {
        case FtdiOpenFailure::None: return {};
        case FtdiOpenFailure::NoDevice: text = "no FTDI device found on the USB bus (is the LK200 plugged in?)"; break;
        case FtdiOpenFailure::Permission:
            text =
                "no access to the FTDI device (install packaging/udev/99-zmx7730-lk200.rules, add your user "
                "to the plugdev group and re-plug the LK200)";
            break;
        case FtdiOpenFailure::KernelDriver:
            text =
                "the FTDI device is held by the kernel's ftdi_sio driver (use --link serial:/dev/ttyUSB0, "
                "or unbind ftdi_sio as the README shows)";
            break;
        case FtdiOpenFailure::UsbUnavailable:
            text = "the USB bus could not be searched (is /dev/bus/usb readable?)";
            break;
        case FtdiOpenFailure::Other: text = "the FTDI device could not be opened"; break;
    }
    if (!libraryMessage.empty()) text += std::string(" [libftdi1: ") + std::string(libraryMessage) + "]";
    return text;
}

int usbReadTimeoutMs(int64_t msLeft) {
    return static_cast<int>(std::clamp<int64_t>(msLeft, kMinUsbReadTimeoutMs, 60000));
}

std::string FtdiLink::name() const {
    std::string n = "ftdi";
    if (target_.vendorId && target_.productId) {
        char ids[16];
        std::snprintf(ids, sizeof ids, ":%04x:%04x", *target_.vendorId, *target_.productId);
        n += ids;
    }
    if (!target_.serial.empty()) n += ":" + target_.serial;
    return n;
}

std::string FtdiLink::deviceIdentity() const {
    const std::string& serial = target_.serial.empty() ? pinned_ : target_.serial;
    if (!serial.empty()) return "ftdi serial " + serial;
    return pinnedPlace_.empty() ? std::string("ftdi device 0") : "ftdi usb " + pinnedPlace_;
}

std::string FtdiLink::usbSerial() const { return target_.serial.empty() ? pinned_ : target_.serial; }

#ifdef ZMX_HAVE_LIBFTDI

// Keeps the latency timer at its shortest so a reply of a few characters is sent to the PC
// at once instead of after the chip's default 16 ms.
constexpr unsigned char kFtdiLatencyMs = 1;
constexpr int kLibusbTimeout = -7;
// Line status TEMT in the high byte of ftdi_poll_modem_status: the transmit FIFO and the
// shift register are empty, every byte written has left.
constexpr unsigned short kTransmitterEmpty = 0x4000;
// Deepest USB hub chain libusb reports (the USB 3 limit).
constexpr int kMaxPortDepth = 7;

struct FtdiLink::Context {
    ftdi_context* ftdi = nullptr;
    bool open = false;
};

FtdiLink::FtdiLink(FtdiTarget target) : ctx_(std::make_unique<Context>()), target_(std::move(target)) {}
FtdiLink::~FtdiLink() { close(); }

bool FtdiLink::available() { return true; }

namespace {

// A libftdi1 context that lets ftdi_sio go only while it holds the device: its default
// detaches the driver for good, and the adapter's tty would not come back after close.
ftdi_context* newContext() {
    ftdi_context* f = ftdi_new();
    if (f) f->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
    return f;
}

// The serial number and description of a device on the list (opened briefly by libftdi1).
// A device without a serial number has string index 0 for it, which libusb refuses, and
// libftdi1 then fails the whole call: such a device is asked for its description only.
bool stringsOf(ftdi_context* f, libusb_device* dev, std::string* serial, std::string* description) {
    char ser[128] = {}, desc[128] = {};
    libusb_device_descriptor d{};
    const bool hasSerial = libusb_get_device_descriptor(dev, &d) != 0 || d.iSerialNumber != 0;
    if (ftdi_usb_get_strings(f, dev, nullptr, 0, desc, sizeof desc, hasSerial ? ser : nullptr,
                             hasSerial ? static_cast<int>(sizeof ser) : 0) < 0)
        return false;
    *serial = ser;
    *description = desc;
    return true;
}

// Where the device is plugged in, "BUS-PORT.PORT..." as the kernel names it; empty when
// libusb cannot tell.
std::string placeOf(libusb_device* dev) {
    uint8_t ports[kMaxPortDepth];
    const int n = libusb_get_port_numbers(dev, ports, kMaxPortDepth);
    if (n <= 0) return {};
    std::string place = std::to_string(libusb_get_bus_number(dev)) + "-";
    for (int i = 0; i < n; ++i) place += (i ? "." : "") + std::to_string(ports[i]);
    return place;
}

// One device of the list as the open sees it.
struct Candidate {
    libusb_device* dev = nullptr;
    bool named = false;  // its strings could be read
    std::string serial, description, place;

    std::string text() const {
        if (!named) return "(unreadable)";
        std::string t = serial.empty() ? "(no serial number" + (place.empty() ? "" : ", usb " + place) + ")" : serial;
        return t + " (" + description + ")";
    }
};

}  // namespace

int FtdiLink::countDevices(std::string* error) {
    const auto list = listDevices(error);
    return list ? static_cast<int>(list->size()) : -1;
}

std::optional<std::vector<UsbDeviceSeen>> FtdiLink::listDevices(std::string* error, std::optional<uint16_t> vendorId,
                                                                std::optional<uint16_t> productId) {
    ftdi_context* f = newContext();
    if (!f) {
        if (error) *error = "libftdi1 could not be initialised";
        return std::nullopt;
    }
    ftdi_device_list* list = nullptr;
    const int n = ftdi_usb_find_all(f, &list, vendorId.value_or(0), productId.value_or(0));
    std::optional<std::vector<UsbDeviceSeen>> out;
    if (n < 0) {
        if (error) *error = errorStringOf(ftdi_get_error_string(f));
    } else {
        out.emplace();
        for (ftdi_device_list* d = list; d; d = d->next) {
            UsbDeviceSeen seen;
            libusb_device_descriptor desc{};
            if (libusb_get_device_descriptor(d->dev, &desc) == 0) {
                seen.vendorId = desc.idVendor;
                seen.productId = desc.idProduct;
            }
            if (!stringsOf(f, d->dev, &seen.serial, &seen.description))
                seen.description = "(no access to its strings: " + errorStringOf(ftdi_get_error_string(f)) + ")";
            out->push_back(std::move(seen));
        }
    }
    ftdi_list_free(&list);
    ftdi_free(f);
    return out;
}

bool FtdiLink::open() {
    close();
    lastFailure_ = FtdiOpenFailure::None;
    ctx_->ftdi = newContext();
    if (!ctx_->ftdi) {
        lastFailure_ = FtdiOpenFailure::Other;
        lastError_ = "libftdi1 could not be initialised";
        return false;
    }
    ftdi_context* f = ctx_->ftdi;
    auto fail = [&](int code, bool duringFind) {
        const std::string message = errorStringOf(ftdi_get_error_string(f));
        lastFailure_ = classifyFtdiOpenError(code, message, duringFind);
        lastError_ = ftdiOpenErrorText(lastFailure_, code < 0 ? message : std::string());
        close();
        return false;
    };
    auto refuse = [&](const std::string& why) {
        close();
        lastFailure_ = FtdiOpenFailure::NoDevice;
        lastError_ = why;
        return false;
    };
    ftdi_device_list* list = nullptr;
    const int found = ftdi_usb_find_all(f, &list, target_.vendorId.value_or(0), target_.productId.value_or(0));
    if (found <= 0) {
        ftdi_list_free(&list);
        return fail(found, true);
    }
    std::vector<Candidate> seen;
    for (ftdi_device_list* d = list; d; d = d->next) {
        Candidate c;
        c.dev = d->dev;
        c.named = stringsOf(f, d->dev, &c.serial, &c.description);
        c.place = placeOf(d->dev);
        seen.push_back(std::move(c));
    }
    auto present = [&] {
        std::string text;
        for (const Candidate& c : seen) text += (text.empty() ? "" : ", ") + c.text();
        return text;
    };
    // A reopen takes the device the first open found, never another that came meanwhile:
    // by its serial number, else by where it is plugged in.
    const std::string wanted = target_.serial.empty() ? pinned_ : target_.serial;
    const Candidate* chosen = nullptr;
    std::string missing;
    if (!wanted.empty()) {
        for (const Candidate& c : seen)
            if (!chosen && c.named && c.serial == wanted) chosen = &c;
        missing = "no FTDI device with USB serial number " + wanted;
    } else if (!pinnedPlace_.empty()) {
        for (const Candidate& c : seen)
            if (!chosen && c.place == pinnedPlace_) chosen = &c;
        missing = "the FTDI device without a serial number at usb " + pinnedPlace_ + " is not there";
    } else if (pinFailed_ && seen.size() > 1) {
        const std::string text = present();
        ftdi_list_free(&list);
        return refuse("the FTDI device opened first has no serial number and no USB location to tell it by, and " +
                      std::to_string(seen.size()) + " are present now (" + text +
                      "); name one with --link ftdi:SERIAL");
    } else {
        chosen = &seen.front();
    }
    if (!chosen) {
        const std::string text = present();
        ftdi_list_free(&list);
        return refuse(missing + " (present: " + text + ")");
    }
    const Candidate device = *chosen;
    const int rc = ftdi_usb_open_dev(f, device.dev);
    ftdi_list_free(&list);
    if (rc < 0) return fail(rc, false);
    ctx_->open = true;
    if (!setLine()) {
        close();
        return false;
    }
    if (target_.serial.empty() && pinned_.empty() && pinnedPlace_.empty() && !pinFailed_) {
        if (!device.serial.empty()) pinned_ = device.serial;
        else if (!device.place.empty()) pinnedPlace_ = device.place;
        else pinFailed_ = true;
    }
    lastError_.clear();
    return true;
}

// 9600 8N1 (or the rate asked for) without flow control, and the shortest latency timer.
bool FtdiLink::setLine() {
    ftdi_context* f = ctx_->ftdi;
    auto failed = [&](const std::string& what) {
        lastFailure_ = FtdiOpenFailure::Other;
        lastError_ = what + " [libftdi1: " + errorStringOf(ftdi_get_error_string(f)) + "]";
        return false;
    };
    if (ftdi_set_baudrate(f, static_cast<int>(target_.rate)) < 0)
        return failed("the FTDI device refused the line rate " + std::to_string(target_.rate) + " baud");
    if (ftdi_set_line_property(f, BITS_8, STOP_BIT_1, NONE) < 0) return failed("the FTDI device refused 8N1");
    if (ftdi_setflowctrl(f, SIO_DISABLE_FLOW_CTRL) < 0)
        return failed("flow control of the FTDI device could not be turned off");
    if (ftdi_set_latency_timer(f, kFtdiLatencyMs) < 0)
        return failed("the latency timer of the FTDI device could not be set to 1 ms");
    return true;
}

void FtdiLink::failDevice(const std::string& what) {
    lastError_ = what + ": " + errorStringOf(ftdi_get_error_string(ctx_->ftdi));
    close();
}

void FtdiLink::setTimeouts(int readMs, int writeMs) {
    readMs_ = readMs;
    writeMs_ = writeMs;
    if (ctx_->ftdi) ctx_->ftdi->usb_write_timeout = std::max(writeMs, 1);
}

std::size_t FtdiLink::write(std::string_view bytes) {
    if (!ctx_->open || bytes.empty()) return 0;
    const int n = ftdi_write_data(ctx_->ftdi, reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<int>(bytes.size()));
    if (n < 0) {
        failDevice("write to the FTDI device failed");
        return 0;
    }
    if (static_cast<std::size_t>(n) < bytes.size()) {
        lastError_ = "write to the FTDI device was cut short";
        close();
    }
    return static_cast<std::size_t>(n);
}

std::string FtdiLink::read(std::size_t maxBytes) {
    if (!ctx_->open) return {};
    ftdi_context* f = ctx_->ftdi;
    // ftdi_read_data returns with what has come in (the chip answers each USB read within its
    // latency timer); between empty answers the loop naps a millisecond. Each USB read may
    // wait until the reply's deadline, so none times out while data may be on its way.
    const int64_t deadline = steadyNowMs() + readMs_;
    auto readNow = [&](std::size_t want) -> std::optional<std::string> {
        f->usb_read_timeout = usbReadTimeoutMs(deadline - steadyNowMs());
        std::string buf(want, '\0');
        int n = ftdi_read_data(f, reinterpret_cast<unsigned char*>(buf.data()), static_cast<int>(want));
        if (n == kLibusbTimeout) n = 0;
        if (n < 0) return std::nullopt;
        buf.resize(static_cast<std::size_t>(n));
        return buf;
    };
    auto nap = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    DeadlineRead r = pollWithDeadline(maxBytes, readMs_, readNow, steadyNowMs, nap);
    if (r.failed) failDevice("read from the FTDI device failed");
    return std::move(r.bytes);
}

// Received data only: ftdi_tcioflush would also empty the chip's transmit FIFO, and
// ftdi_write_data returns before the bytes are on the line, so it would cut the previous
// text short (a conversion start, the end of a configuration write).
void FtdiLink::purgeInput() {
    if (ctx_->open && ftdi_tciflush(ctx_->ftdi) < 0)  // the device went away since the last transfer
        failDevice("the FTDI device went away");
}

bool FtdiLink::drainOutput(int timeoutMs) {
    if (!ctx_->open) return false;
    const int64_t deadline = steadyNowMs() + std::max(timeoutMs, 0);
    for (;;) {
        unsigned short status = 0;
        if (ftdi_poll_modem_status(ctx_->ftdi, &status) < 0) {
            failDevice("the FTDI device went away");
            return false;
        }
        if (status & kTransmitterEmpty) return true;
        if (steadyNowMs() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollNapMs));
    }
}

WireTiming FtdiLink::wireTiming() const { return {target_.rate, kFtdiLatencyMs}; }

bool FtdiLink::isOpen() const { return ctx_->open; }

void FtdiLink::close() {
    if (!ctx_ || !ctx_->ftdi) return;
    if (ctx_->open) ftdi_usb_close(ctx_->ftdi);
    ftdi_free(ctx_->ftdi);
    ctx_->ftdi = nullptr;
    ctx_->open = false;
}

#else  // built without libftdi1

struct FtdiLink::Context {};
FtdiLink::FtdiLink(FtdiTarget target) : ctx_(std::make_unique<Context>()), target_(std::move(target)) {}
FtdiLink::~FtdiLink() = default;
bool FtdiLink::available() { return false; }
bool FtdiLink::isOpen() const { return false; }
int FtdiLink::countDevices(std::string* error) {
    if (error) *error = "this build has no libftdi1 support";
    return -1;
}
std::optional<std::vector<UsbDeviceSeen>> FtdiLink::listDevices(std::string* error, std::optional<uint16_t>,
                                                                std::optional<uint16_t>) {
    if (error) *error = "this build has no libftdi1 support";
    return std::nullopt;
}
bool FtdiLink::open() {
    lastFailure_ = FtdiOpenFailure::Other;
    lastError_ = "this build has no libftdi1 support (install libftdi1-dev and rebuild)";
    return false;
}
void FtdiLink::setTimeouts(int readMs, int writeMs) {
    readMs_ = readMs;
    writeMs_ = writeMs;
}
std::size_t FtdiLink::write(std::string_view) { return 0; }
std::string FtdiLink::read(std::size_t) { return {}; }
void FtdiLink::purgeInput() {}
bool FtdiLink::drainOutput(int) { return false; }
WireTiming FtdiLink::wireTiming() const { return {target_.rate, 16}; }
void FtdiLink::close() {}

#endif

}  // namespace zmx
