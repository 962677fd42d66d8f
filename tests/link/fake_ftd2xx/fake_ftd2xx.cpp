// A stand-in for the vendor's D2XX library with the five entry points the link loads, and a
// few controls the tests reach through dlsym. It answers "IZ" like an LK200 and echoes
// every other text. Built a second time without FT_Read to test the loader's checks.

#include <cstring>
#include <string>

namespace {

using Status = unsigned long;
using Dword = unsigned int;

constexpr Status kOk = 0;
constexpr Status kDeviceNotFound = 2;
constexpr Status kIoError = 4;

struct Fake {
    std::string mode;  // "", "absent", "shortwrite", "readfail"
    std::string pending;
    int opens = 0, closes = 0, purges = 0;
    Dword readMs = 0, writeMs = 0;
    int handleToken = 0;
} fake;

}  // namespace

extern "C" {

__attribute__((visibility("default"))) Status FT_Open(int device, void** handle) {
    if (fake.mode == "absent" || device != 0) return kDeviceNotFound;
    ++fake.opens;
    *handle = &fake.handleToken;
    return kOk;
}

__attribute__((visibility("default"))) Status FT_SetTimeouts(void* handle, Dword readMs, Dword writeMs) {
    if (handle != &fake.handleToken) return 1;
    fake.readMs = readMs;
    fake.writeMs = writeMs;
    return kOk;
}

__attribute__((visibility("default"))) Status FT_Write(void* handle, void* buffer, Dword n, Dword* written) {
    if (handle != &fake.handleToken) return 1;
    if (fake.mode == "shortwrite") {
        *written = 0;  // the write time-out ran out before anything went
        return kOk;
    }
    const std::string text(static_cast<const char*>(buffer), n);
    fake.pending += text == "IZ" ? std::string("ZMX7730-4 fake LK200") : text;
    *written = n;
    return kOk;
}

#ifndef FAKE_WITHOUT_READ
__attribute__((visibility("default"))) Status FT_Read(void* handle, void* buffer, Dword n, Dword* got) {
    if (handle != &fake.handleToken) return 1;
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

__attribute__((visibility("default"))) Status FT_Close(void* handle) {
    if (handle != &fake.handleToken) return 1;
    ++fake.closes;
    return kOk;
}

__attribute__((visibility("default"))) Status FT_Purge(void* handle, unsigned long mask) {
    if (handle != &fake.handleToken) return 1;
    if (mask & 1) fake.pending.clear();
    ++fake.purges;
    return kOk;
}

// Test controls.
__attribute__((visibility("default"))) void fake_ftd2xx_set_mode(const char* mode) {
    fake = Fake{};
    fake.mode = mode;
}
__attribute__((visibility("default"))) void fake_ftd2xx_preload(const char* text) { fake.pending += text; }
__attribute__((visibility("default"))) int fake_ftd2xx_counter(const char* which) {
    const std::string w = which;
    if (w == "opens") return fake.opens;
    if (w == "closes") return fake.closes;
    if (w == "purges") return fake.purges;
    if (w == "readMs") return static_cast<int>(fake.readMs);
    if (w == "writeMs") return static_cast<int>(fake.writeMs);
    return -1;
}
}
