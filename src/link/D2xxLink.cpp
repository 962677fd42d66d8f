#include "link/D2xxLink.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <type_traits>

#include "link/ReadDeadline.h"

namespace zmx {

namespace {

constexpr const char* kDefaultLibrary = "libftd2xx.so";
constexpr uint8_t kBits8 = 8, kStopBits1 = 0, kParityNone = 0;
constexpr uint16_t kFlowNone = 0;
constexpr uint8_t kXon = 0x11, kXoff = 0x13;
// The shortest latency timer: a reply of a few characters reaches the PC at once instead of
// after the chip's power-on 16 ms.
constexpr uint8_t kD2xxLatencyMs = 1;

std::string statusText(const std::string& call, D2xxApi::Status status) {
    return std::string(call) + " returned status " + std::to_string(status);
}

}  // namespace

std::string D2xxLibrary::defaultPath() {
    const char* env = std::getenv("ZMX_D2XX_LIBRARY");
    return env && *env ? std::string(env) : std::string(kDefaultLibrary);
}

std::unique_ptr<D2xxLibrary> D2xxLibrary::load(const std::string& path, std::string* error) {
    const std::string file = path.empty() ? defaultPath() : path;
    void* h = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        if (error) {
            const char* why = ::dlerror();
            *error = "the D2XX library " + file + " could not be loaded (" + (why ? why : "unknown reason") +
                     "); install the vendor's D2XX driver or choose another link with --link";
        }
        return nullptr;
    }
    std::unique_ptr<D2xxLibrary> lib(new D2xxLibrary);
    lib->handle_ = h;
    lib->path_ = file;
    std::string missing;
    auto find = [&](auto& fn, const char* symbol, bool required) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(::dlsym(h, symbol));
        if (!fn && required) missing += (missing.empty() ? "" : ", ") + std::string(symbol);
    };
    D2xxApi& a = lib->api_;
    find(a.open, "FT_Open", true);
    find(a.setTimeouts, "FT_SetTimeouts", true);
    find(a.write, "FT_Write", true);
    find(a.read, "FT_Read", true);
    find(a.close, "FT_Close", true);
    find(a.setBaudRate, "FT_SetBaudRate", true);
    find(a.setDataCharacteristics, "FT_SetDataCharacteristics", true);
    find(a.setFlowControl, "FT_SetFlowControl", true);
    find(a.purge, "FT_Purge", false);
    find(a.openEx, "FT_OpenEx", false);
    find(a.setVidPid, "FT_SetVIDPID", false);
    find(a.createDeviceInfoList, "FT_CreateDeviceInfoList", false);
    find(a.getDeviceInfoDetail, "FT_GetDeviceInfoDetail", false);
    find(a.getDeviceInfo, "FT_GetDeviceInfo", false);
    find(a.setLatencyTimer, "FT_SetLatencyTimer", false);
    find(a.getStatus, "FT_GetStatus", false);
    if (!missing.empty()) {
        if (error)
            *error = "the D2XX library " + file + " lacks " + missing +
                     " (is it the vendor's D2XX driver for this machine?)";
        return nullptr;  // the destructor unloads it
    }
    return lib;
}

D2xxLibrary::~D2xxLibrary() {
    if (handle_) ::dlclose(handle_);
}

std::optional<std::vector<D2xxDeviceSeen>> D2xxLibrary::devices(std::string* error) const {
    if (!api_.createDeviceInfoList || !api_.getDeviceInfoDetail) {
        if (error) *error = "the D2XX library " + path_ + " cannot list devices";
        return std::nullopt;
    }
    D2xxApi::Dword n = 0;
    if (const D2xxApi::Status s = api_.createDeviceInfoList(&n); s != D2xxApi::kOk) {
        if (error) *error = statusText("FT_CreateDeviceInfoList", s);
        return std::nullopt;
    }
    std::vector<D2xxDeviceSeen> out;
    for (D2xxApi::Dword i = 0; i < n; ++i) {
        D2xxApi::Dword flags = 0, type = 0, id = 0, loc = 0;
        char serial[64] = {}, description[128] = {};  // the library writes at most 16 and 64
        D2xxApi::Handle h = nullptr;
        if (api_.getDeviceInfoDetail(i, &flags, &type, &id, &loc, serial, description, &h) != D2xxApi::kOk) continue;
        serial[sizeof serial - 1] = description[sizeof description - 1] = '\0';
        out.push_back({serial, description});
    }
    return out;
}

D2xxLink::D2xxLink(std::unique_ptr<D2xxLibrary> library, D2xxTarget target)
    : lib_(std::move(library)), target_(std::move(target)) {}
D2xxLink::~D2xxLink() { close(); }

std::string D2xxLink::deviceIdentity() const {
    const std::string& serial = target_.serial.empty() ? pinned_ : target_.serial;
    return serial.empty() ? std::string("d2xx device 0") : "d2xx serial " + serial;
}

// Status 2 ("device not found") also comes back when the kernel's ftdi_sio driver holds the
// device or the user may not open it: the library then does not see it at all.
static std::string notFoundHint() {
    return ": no FTDI device the library can open (is the LK200 plugged in? the kernel's ftdi_sio "
           "driver may hold it: unbind it as the README shows; or the user may lack access: install "
           "the udev rule of the README)";
}

bool D2xxLink::openDevice(D2xxApi::Handle* h) {
    const D2xxApi& a = lib_->api();
    if (target_.vendorId && target_.productId) {
        if (!a.setVidPid) {
            lastError_ = "the D2XX library " + lib_->path() + " lacks FT_SetVIDPID, needed for a custom USB ID";
            return false;
        }
        a.setVidPid(*target_.vendorId, *target_.productId);
    }
    // Once a device was found, a reopen takes that same one, never another that came meanwhile.
    const std::string serial = target_.serial.empty() ? pinned_ : target_.serial;
    D2xxApi::Status s = 0;
    if (!serial.empty()) {
        if (!a.openEx) {
            lastError_ = "the D2XX library " + lib_->path() + " lacks FT_OpenEx, needed to open by serial number";
            return false;
        }
        std::string arg = serial;
        s = a.openEx(arg.data(), D2xxApi::kOpenBySerialNumber, h);
        if (s == D2xxApi::kOk && *h) return true;
        lastError_ = statusText("FT_OpenEx of serial " + serial, s);
        if (s == D2xxApi::kDeviceNotFound) {
            std::string why;
            std::string present;
            if (const auto list = lib_->devices(&why)) {
                for (const D2xxDeviceSeen& d : *list)
                    present += (present.empty() ? "" : ", ") + d.serial +
                               (d.description.empty() ? "" : " (" + d.description + ")");
                lastError_ += ": no FTDI device with USB serial number " + serial +
                              " (present: " + (present.empty() ? std::string("none") : present) + ")";
            } else {
                lastError_ += notFoundHint();
            }
        }
        return false;
    }
    s = a.open(0, h);
    if (s == D2xxApi::kOk && *h) return true;
    lastError_ = statusText("FT_Open of device 0", s);
    if (s == D2xxApi::kDeviceNotFound) lastError_ += notFoundHint();
    else if (s == D2xxApi::kDeviceNotOpened)
        lastError_ +=
            ": the device could not be opened (another program has it open, or the kernel's ftdi_sio "
            "driver holds it: unbind it and check the udev rule of the README)";
    return false;
}

// The chip keeps whatever line it had; set the rate and 8N1 without flow control each open.
bool D2xxLink::setLine() {
    const D2xxApi& a = lib_->api();
    if (const D2xxApi::Status s = a.setBaudRate(handle_, target_.rate); s != D2xxApi::kOk) {
        lastError_ = "the device refused the line rate " + std::to_string(target_.rate) + " baud (" +
                     statusText("FT_SetBaudRate", s) + ")";
        return false;
    }
    if (const D2xxApi::Status s = a.setDataCharacteristics(handle_, kBits8, kStopBits1, kParityNone);
        s != D2xxApi::kOk) {
        lastError_ = statusText("FT_SetDataCharacteristics (8N1)", s);
        return false;
    }
    if (const D2xxApi::Status s = a.setFlowControl(handle_, kFlowNone, kXon, kXoff); s != D2xxApi::kOk) {
        lastError_ = statusText("FT_SetFlowControl (none)", s);
        return false;
    }
    // A library without the call, or a chip that refuses it, keeps its own timer: the waits
    // computed from wireTiming() then allow for it.
    latencyMs_ = 16;
    if (a.setLatencyTimer && a.setLatencyTimer(handle_, kD2xxLatencyMs) == D2xxApi::kOk) latencyMs_ = kD2xxLatencyMs;
    return true;
}

// FT_GetStatus counts the bytes still queued for sending; without it the link cannot tell and
// trusts the write.
bool D2xxLink::drainOutput(int timeoutMs) {
    const D2xxApi& a = lib_->api();
    if (!handle_ || !a.getStatus) return handle_ != nullptr;
    const int64_t deadline = steadyNowMs() + std::max(timeoutMs, 0);
    for (;;) {
        D2xxApi::Dword rx = 0, tx = 0, events = 0;
        if (const D2xxApi::Status s = a.getStatus(handle_, &rx, &tx, &events); s != D2xxApi::kOk) {
            lastError_ = statusText("FT_GetStatus", s);
            close();
            return false;
        }
        if (tx == 0) return true;
        if (steadyNowMs() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void D2xxLink::pinSerial() {
    // Pinning needs both: the serial number of the open device, and a way to open by it.
    if (!target_.serial.empty() || !pinned_.empty() || !lib_->api().getDeviceInfo || !lib_->api().openEx) return;
    D2xxApi::Dword type = 0, id = 0;
    char serial[64] = {}, description[128] = {};
    if (lib_->api().getDeviceInfo(handle_, &type, &id, serial, description, nullptr) != D2xxApi::kOk) return;
    serial[sizeof serial - 1] = '\0';
    pinned_ = serial;
}

bool D2xxLink::open() {
    close();
    D2xxApi::Handle h = nullptr;
    if (!openDevice(&h)) return false;
    handle_ = h;
    if (!setLine()) {
        close();
        return false;
    }
    pinSerial();
    lastError_.clear();
    return true;
}

void D2xxLink::setTimeouts(int readMs, int writeMs) {
    if (!handle_) return;
    const D2xxApi::Status s =
        lib_->api().setTimeouts(handle_, static_cast<D2xxApi::Dword>(readMs), static_cast<D2xxApi::Dword>(writeMs));
    if (s != D2xxApi::kOk) {
        lastError_ = statusText("FT_SetTimeouts", s);
        close();
    }
}

std::size_t D2xxLink::write(std::string_view bytes) {
    if (!handle_ || bytes.empty()) return 0;
    std::string copy(bytes);  // the library takes a non-const buffer
    D2xxApi::Dword written = 0;
    const D2xxApi::Status s =
        lib_->api().write(handle_, copy.data(), static_cast<D2xxApi::Dword>(copy.size()), &written);
    if (s != D2xxApi::kOk) {
        lastError_ = statusText("FT_Write", s);
        close();
        return 0;
    }
    // OK with fewer bytes happens when the write time-out ran out.
    if (written < copy.size()) {
        lastError_ = "FT_Write moved " + std::to_string(written) + " of " + std::to_string(copy.size()) + " bytes";
        close();
    }
    return std::min<std::size_t>(written, copy.size());
}

std::string D2xxLink::read(std::size_t maxBytes) {
    if (!handle_ || maxBytes == 0) return {};
    // FT_Read itself waits up to the read time-out set by FT_SetTimeouts and then returns OK
    // with the bytes that arrived.
    std::string buf(maxBytes, '\0');
    D2xxApi::Dword got = 0;
    const D2xxApi::Status s = lib_->api().read(handle_, buf.data(), static_cast<D2xxApi::Dword>(maxBytes), &got);
    if (s != D2xxApi::kOk) {
        lastError_ = statusText("FT_Read", s);
        close();
        return {};
    }
    buf.resize(std::min<std::size_t>(got, maxBytes));
    return buf;
}

void D2xxLink::purgeInput() {
    if (handle_ && lib_->api().purge && lib_->api().purge(handle_, D2xxApi::kPurgeRx) != D2xxApi::kOk) {
        lastError_ = "FT_Purge failed: the device went away";
        close();
    }
}

void D2xxLink::close() {
    if (!handle_) return;
    lib_->api().close(handle_);
    handle_ = nullptr;
}

}  // namespace zmx
