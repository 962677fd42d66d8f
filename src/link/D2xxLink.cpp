#include "link/D2xxLink.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <type_traits>

namespace zmx {

namespace {

constexpr const char* kDefaultLibrary = "libftd2xx.so";
constexpr unsigned long kPurgeRx = 1;  // the receive-buffer bit of the purge mask

std::string statusText(const char* call, D2xxApi::Status status) {
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
    find(a.purge, "FT_Purge", false);
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

D2xxLink::D2xxLink(std::unique_ptr<D2xxLibrary> library) : lib_(std::move(library)) {}
D2xxLink::~D2xxLink() { close(); }

bool D2xxLink::open() {
    close();
    D2xxApi::Handle h = nullptr;
    const D2xxApi::Status s = lib_->api().open(0, &h);
    if (s != D2xxApi::kOk || !h) {
        // Status 2 is the library's "device not found", 3 "device not opened" (busy or no rights).
        lastError_ = statusText("FT_Open of device 0", s);
        if (s == 2) lastError_ += ": no FTDI device found (is the LK200 plugged in?)";
        else if (s == 3)
            lastError_ +=
                ": the device could not be opened (unbind the kernel's ftdi_sio driver and check "
                "the udev rule of the README)";
        return false;
    }
    handle_ = h;
    lastError_.clear();
    return true;
}

void D2xxLink::setTimeouts(int readMs, int writeMs) {
    if (!handle_) return;
    const D2xxApi::Status s =
        lib_->api().setTimeouts(handle_, static_cast<D2xxApi::Dword>(readMs), static_cast<D2xxApi::Dword>(writeMs));
    if (s != D2xxApi::kOk) lastError_ = statusText("FT_SetTimeouts", s);
}

std::size_t D2xxLink::write(std::string_view bytes) {
    if (!handle_ || bytes.empty()) return 0;
    std::string copy(bytes);  // the library takes a non-const buffer
    D2xxApi::Dword written = 0;
    const D2xxApi::Status s =
        lib_->api().write(handle_, copy.data(), static_cast<D2xxApi::Dword>(copy.size()), &written);
    if (s != D2xxApi::kOk) {
        lastError_ = statusText("FT_Write", s);
        return 0;
    }
    // OK with fewer bytes happens when the write time-out ran out.
    if (written < copy.size())
        lastError_ = "FT_Write moved " + std::to_string(written) + " of " + std::to_string(copy.size()) + " bytes";
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
        return {};
    }
    buf.resize(std::min<std::size_t>(got, maxBytes));
    return buf;
}

void D2xxLink::purgeInput() {
    if (handle_ && lib_->api().purge) lib_->api().purge(handle_, kPurgeRx);
}

void D2xxLink::close() {
    if (!handle_) return;
    lib_->api().close(handle_);
    handle_ = nullptr;
}

}  // namespace zmx
