// A stand-in for the vendor's D2XX library with the entry points the link loads, declared with
// the widths of the library's Linux headers (FT_STATUS, DWORD, ULONG: 32 bits), and a few
// controls the tests reach through dlsym. Two devices are on its bus: the controller
// "LK200A01", which answers "IZ" like an LK200 and echoes every other text, and another FTDI
// adapter "FTOTHER1". Built a second time without FT_Read to test the loader's checks.

#include <cstdint>
#include <cstring>
#include <string>

namespace {

using Status = uint32_t;
using Dword = uint32_t;

constexpr Status kOk = 0;
constexpr Status kInvalidHandle = 1;
constexpr Status kDeviceNotFound = 2;
constexpr Status kIoError = 4;
constexpr Status kInvalidBaudRate = 7;
constexpr Dword kOpenBySerialNumber = 1;

const char* const kSerials[] = {"LK200A01", "FTOTHER1"};
const char* const kDescriptions[] = {"LK200 USB-SPI", "USB Serial Converter"};

struct Fake {
    std::string mode;  // "", "absent", "shortwrite", "readfail"
    std::string pending;
    int opens = 0, closes = 0, purges = 0;
    Dword readMs = 0, writeMs = 0;
    uint32_t baud = 0, vid = 0, pid = 0;
    int bits = -1, stop = -1, parity = -1, flow = -1, latency = -1, statusCalls = 0;
    int device = -1;  // index of the open device
    int handleToken = 0;
} fake;

bool valid(void* handle) { return handle == &fake.handleToken && fake.device >= 0; }

}  // namespace

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT Status FT_Open(int device, void** handle) {
    if (fake.mode == "absent" || device != 0) return kDeviceNotFound;
    ++fake.opens;
    fake.device = 0;
    *handle = &fake.handleToken;
    return kOk;
}

EXPORT Status FT_OpenEx(void* arg, Dword flags, void** handle) {
    if (fake.mode == "absent" || flags != kOpenBySerialNumber) return kDeviceNotFound;
    for (int i = 0; i < 2; ++i)
        if (std::strcmp(static_cast<const char*>(arg), kSerials[i]) == 0) {
            ++fake.opens;
            fake.device = i;
            *handle = &fake.handleToken;
            return kOk;
        }
    return kDeviceNotFound;
}

EXPORT Status FT_SetTimeouts(void* handle, Dword readMs, Dword writeMs) {
    if (!valid(handle)) return kInvalidHandle;
    fake.readMs = readMs;
    fake.writeMs = writeMs;
    return kOk;
}

EXPORT Status FT_SetBaudRate(void* handle, uint32_t baud) {
    if (!valid(handle)) return kInvalidHandle;
    if (baud < 300 || baud > 3000000) return kInvalidBaudRate;
    fake.baud = baud;
    return kOk;
}

EXPORT Status FT_SetDataCharacteristics(void* handle, uint8_t bits, uint8_t stop, uint8_t parity) {
    if (!valid(handle)) return kInvalidHandle;
    fake.bits = bits;
    fake.stop = stop;
    fake.parity = parity;
    return kOk;
}

EXPORT Status FT_SetFlowControl(void* handle, uint16_t flow, uint8_t, uint8_t) {
    if (!valid(handle)) return kInvalidHandle;
    fake.flow = flow;
    return kOk;
}

EXPORT Status FT_SetVIDPID(Dword vid, Dword pid) {
    fake.vid = vid;
    fake.pid = pid;
    return kOk;
}

EXPORT Status FT_CreateDeviceInfoList(Dword* count) {
    *count = fake.mode == "absent" ? 0 : 2;
    return kOk;
}

EXPORT Status FT_GetDeviceInfoDetail(Dword index, Dword* flags, Dword* type, Dword* id, Dword* loc, void* serial,
                                     void* description, void** handle) {
    if (index > 1) return kDeviceNotFound;
    *flags = 0;
    *type = 5;  // FT232R
    *id = 0x04036001;
    *loc = 0x11 + index;
    std::strcpy(static_cast<char*>(serial), kSerials[index]);
    std::strcpy(static_cast<char*>(description), kDescriptions[index]);
    *handle = nullptr;
    return kOk;
}

EXPORT Status FT_GetDeviceInfo(void* handle, Dword* type, Dword* id, char* serial, char* description, void*) {
    if (!valid(handle)) return kInvalidHandle;
    *type = 5;
    *id = 0x04036001;
    std::strcpy(serial, kSerials[fake.device]);
    std::strcpy(description, kDescriptions[fake.device]);
    return kOk;
}

EXPORT Status FT_Write(void* handle, void* buffer, Dword n, Dword* written) {
    if (!valid(handle)) return kInvalidHandle;
    if (fake.mode == "shortwrite") {
        *written = 0;  // the write time-out ran out before anything went
        return kOk;
    }
    const std::string text(static_cast<const char*>(buffer), n);
    if (fake.device == 0) fake.pending += text == "IZ" ? std::string("ZMX7730-4 fake LK200") : text;
    *written = n;
    return kOk;
}

#ifndef FAKE_WITHOUT_READ
EXPORT Status FT_Read(void* handle, void* buffer, Dword n, Dword* got) {
    if (!valid(handle)) return kInvalidHandle;
    if (fake.mode == "readfail") {
        *got = 0;
        return kIoError;
    }
    const std::size_t k = fake.pending.size() < n ? fake.pending.size() : n;
    std::memcpy(buffer, fake.pending.data(), k);
    fake.pending.erase(0, k);
    *got = static_cast<Dword>(k);
    return kOk;
}
#endif

EXPORT Status FT_Close(void* handle) {
    if (!valid(handle)) return kInvalidHandle;
    ++fake.closes;
    fake.device = -1;
    return kOk;
}

EXPORT Status FT_Purge(void* handle, uint32_t mask) {
    if (!valid(handle)) return kInvalidHandle;
    if (mask & 1) fake.pending.clear();
    ++fake.purges;
    return kOk;
}

EXPORT Status FT_SetLatencyTimer(void* handle, uint8_t ms) {
    if (!valid(handle)) return kInvalidHandle;
    fake.latency = ms;
    return kOk;
}

// Everything written has left at once: this stand-in has no transmit queue.
EXPORT Status FT_GetStatus(void* handle, Dword* rx, Dword* tx, Dword* events) {
    if (!valid(handle)) return kInvalidHandle;
    ++fake.statusCalls;
    *rx = static_cast<Dword>(fake.pending.size());
    *tx = 0;
    *events = 0;
    return kOk;
}

// Test controls.
EXPORT void fake_ftd2xx_set_mode(const char* mode) {
    fake = Fake{};
    fake.mode = mode;
}
EXPORT void fake_ftd2xx_preload(const char* text) { fake.pending += text; }
EXPORT int fake_ftd2xx_counter(const char* which) {
    const std::string w = which;
    if (w == "opens") return fake.opens;
    if (w == "closes") return fake.closes;
    if (w == "purges") return fake.purges;
    if (w == "readMs") return static_cast<int>(fake.readMs);
    if (w == "writeMs") return static_cast<int>(fake.writeMs);
    if (w == "baud") return static_cast<int>(fake.baud);
    if (w == "bits") return fake.bits;
    if (w == "stop") return fake.stop;
    if (w == "parity") return fake.parity;
    if (w == "flow") return fake.flow;
    if (w == "vid") return static_cast<int>(fake.vid);
    if (w == "pid") return static_cast<int>(fake.pid);
    if (w == "device") return fake.device;
    if (w == "latency") return fake.latency;
    if (w == "statusCalls") return fake.statusCalls;
    return -1;
}
