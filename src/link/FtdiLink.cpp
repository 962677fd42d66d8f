#include "link/FtdiLink.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

#include "link/ReadDeadline.h"

#ifdef ZMX_HAVE_LIBFTDI
#include <ftdi.h>
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
    if (code == -8) return FtdiOpenFailure::Permission;
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
                "permission denied opening the FTDI device (install packaging/udev/99-zmx7730-lk200.rules "
                "and re-plug the LK200, or run as a member of the group that owns it)";
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

#ifdef ZMX_HAVE_LIBFTDI

// Keeps the latency timer at its shortest so a reply of a few characters is sent to the PC
// at once instead of after the chip's default 16 ms.
constexpr unsigned char kLatencyMs = 1;
constexpr int kUsbPollTimeoutMs = 10;
constexpr int kLibusbTimeout = -7;

struct FtdiLink::Context {
    ftdi_context* ftdi = nullptr;
    bool open = false;
};

FtdiLink::FtdiLink() : ctx_(std::make_unique<Context>()) {}
FtdiLink::~FtdiLink() { close(); }

bool FtdiLink::available() { return true; }

int FtdiLink::countDevices(std::string* error) {
    ftdi_context* f = ftdi_new();
    if (!f) {
        if (error) *error = "libftdi1 could not be initialised";
        return -1;
    }
    ftdi_device_list* list = nullptr;
    const int n = ftdi_usb_find_all(f, &list, 0, 0);
    if (n < 0 && error) *error = errorStringOf(ftdi_get_error_string(f));
    ftdi_list_free(&list);
    ftdi_free(f);
    return n;
}

bool FtdiLink::open() {
    close();
    lastFailure_ = FtdiOpenFailure::None;
    ctx_->ftdi = ftdi_new();
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
    ftdi_device_list* list = nullptr;
    const int found = ftdi_usb_find_all(f, &list, 0, 0);
    if (found <= 0) {
        ftdi_list_free(&list);
        return fail(found, true);
    }
    const int rc = ftdi_usb_open_dev(f, list->dev);
    ftdi_list_free(&list);
    if (rc < 0) return fail(rc, false);
    ctx_->open = true;
    ftdi_set_latency_timer(f, kLatencyMs);
    lastError_.clear();
    return true;
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
        lastError_ = "write to the FTDI device failed: " + errorStringOf(ftdi_get_error_string(ctx_->ftdi));
        return 0;
    }
    if (static_cast<std::size_t>(n) < bytes.size()) lastError_ = "write to the FTDI device was cut short";
    return static_cast<std::size_t>(n);
}

std::string FtdiLink::read(std::size_t maxBytes) {
    if (!ctx_->open) return {};
    ftdi_context* f = ctx_->ftdi;
    // ftdi_read_data returns at once with what has come in; the waiting is done by naps of
    // a millisecond, so the read time-out is kept to the millisecond.
    // One USB read returns within the latency timer (the chip then sends its status even
    // without data); the bound only matters for a chip that stopped answering, whose
    // time-out (LIBUSB_ERROR_TIMEOUT, -7) counts as "nothing there".
    f->usb_read_timeout = kUsbPollTimeoutMs;
    auto readNow = [&](std::size_t want) -> std::optional<std::string> {
        std::string buf(want, '\0');
        int n = ftdi_read_data(f, reinterpret_cast<unsigned char*>(buf.data()), static_cast<int>(want));
        if (n == kLibusbTimeout) n = 0;
        if (n < 0) return std::nullopt;
        buf.resize(static_cast<std::size_t>(n));
        return buf;
    };
    auto nap = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    DeadlineRead r = pollWithDeadline(maxBytes, readMs_, readNow, steadyNowMs, nap);
    if (r.failed) lastError_ = "read from the FTDI device failed: " + errorStringOf(ftdi_get_error_string(f));
    return std::move(r.bytes);
}

void FtdiLink::purgeInput() {
    if (ctx_->open) ftdi_tcioflush(ctx_->ftdi);
}

void FtdiLink::close() {
    if (!ctx_ || !ctx_->ftdi) return;
    if (ctx_->open) ftdi_usb_close(ctx_->ftdi);
    ftdi_free(ctx_->ftdi);
    ctx_->ftdi = nullptr;
    ctx_->open = false;
}

#else  // built without libftdi1

struct FtdiLink::Context {};
FtdiLink::FtdiLink() : ctx_(std::make_unique<Context>()) {}
FtdiLink::~FtdiLink() = default;
bool FtdiLink::available() { return false; }
int FtdiLink::countDevices(std::string* error) {
    if (error) *error = "this build has no libftdi1 support";
    return -1;
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
void FtdiLink::close() {}

#endif

}  // namespace zmx
