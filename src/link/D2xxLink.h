#pragma once
// The controller through the vendor's D2XX library, loaded at run time when a user has it
// installed; nothing of it is needed to build or ship the program.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/LinkBackend.h"
#include "link/LinkText.h"

namespace zmx {

// The entry points a transfer uses, with the C signatures of the library's Linux headers:
// FT_STATUS, DWORD and ULONG are 32-bit unsigned there (reading the status as a 64-bit
// unsigned long would take an undefined upper half into the comparison with FT_OK).
struct D2xxApi {
    using Status = uint32_t;
    using Handle = void*;
    using Dword = uint32_t;
    using OpenFn = Status (*)(int deviceNumber, Handle* handle);
    using SetTimeoutsFn = Status (*)(Handle handle, Dword readMs, Dword writeMs);
    using WriteFn = Status (*)(Handle handle, void* buffer, Dword bytesToWrite, Dword* bytesWritten);
    using ReadFn = Status (*)(Handle handle, void* buffer, Dword bytesToRead, Dword* bytesRead);
    using CloseFn = Status (*)(Handle handle);
    using SetBaudRateFn = Status (*)(Handle handle, uint32_t baud);
    using SetDataCharacteristicsFn = Status (*)(Handle handle, uint8_t wordLength, uint8_t stopBits, uint8_t parity);
    using SetFlowControlFn = Status (*)(Handle handle, uint16_t flow, uint8_t xon, uint8_t xoff);
    // Optional: the link works without them, with less to offer.
    using PurgeFn = Status (*)(Handle handle, uint32_t mask);
    using OpenExFn = Status (*)(void* arg, Dword flags, Handle* handle);
    using SetVidPidFn = Status (*)(Dword vid, Dword pid);
    using CreateDeviceInfoListFn = Status (*)(Dword* count);
    using GetDeviceInfoDetailFn = Status (*)(Dword index, Dword* flags, Dword* type, Dword* id, Dword* locId,
                                             void* serial, void* description, Handle* handle);
    using GetDeviceInfoFn = Status (*)(Handle handle, Dword* type, Dword* id, char* serial, char* description,
                                       void* reserved);
    using SetLatencyTimerFn = Status (*)(Handle handle, uint8_t ms);
    using GetStatusFn = Status (*)(Handle handle, Dword* rxBytes, Dword* txBytes, Dword* eventStatus);

    static constexpr Status kOk = 0;
    static constexpr Status kInvalidHandle = 1;
    static constexpr Status kDeviceNotFound = 2;
    static constexpr Status kDeviceNotOpened = 3;
    static constexpr Status kInvalidBaudRate = 7;
    static constexpr Dword kOpenBySerialNumber = 1;
    static constexpr uint32_t kPurgeRx = 1;

    OpenFn open = nullptr;
    SetTimeoutsFn setTimeouts = nullptr;
    WriteFn write = nullptr;
    ReadFn read = nullptr;
    CloseFn close = nullptr;
    SetBaudRateFn setBaudRate = nullptr;
    SetDataCharacteristicsFn setDataCharacteristics = nullptr;
    SetFlowControlFn setFlowControl = nullptr;
    PurgeFn purge = nullptr;
    OpenExFn openEx = nullptr;
    SetVidPidFn setVidPid = nullptr;
    CreateDeviceInfoListFn createDeviceInfoList = nullptr;
    GetDeviceInfoDetailFn getDeviceInfoDetail = nullptr;
    GetDeviceInfoFn getDeviceInfo = nullptr;
    SetLatencyTimerFn setLatencyTimer = nullptr;
    GetStatusFn getStatus = nullptr;
};
static_assert(sizeof(D2xxApi::Status) == 4, "FT_STATUS is 32 bits wide");

// One FTDI device as the library lists it.
struct D2xxDeviceSeen {
    std::string serial;
    std::string description;
};

// A loaded library and its entry points; unloads on destruction.
class D2xxLibrary {
public:
    ~D2xxLibrary();
    D2xxLibrary(const D2xxLibrary&) = delete;
    D2xxLibrary& operator=(const D2xxLibrary&) = delete;

    // Loads the library (an empty path: $ZMX_D2XX_LIBRARY, else "libftd2xx.so"). Null when the
    // library or one of the five entry points is missing; error says which and what to do.
    static std::unique_ptr<D2xxLibrary> load(const std::string& path, std::string* error);
    // The path load() uses for an empty argument.
    static std::string defaultPath();

    const D2xxApi& api() const { return api_; }
    // The devices the library sees; nullopt when it cannot list them (error says why).
    std::optional<std::vector<D2xxDeviceSeen>> devices(std::string* error) const;
    const std::string& path() const { return path_; }

private:
    D2xxLibrary() = default;
    void* handle_ = nullptr;
    std::string path_;
    D2xxApi api_;
};

// Which device the D2XX link opens: a USB serial number (empty: the first device), a vendor
// and product ID of a board with IDs of its own, and the line rate.
struct D2xxTarget {
    std::string serial;
    std::optional<uint16_t> vendorId, productId;
    uint32_t rate = kDefaultLineRate;
};

class D2xxLink : public LinkBackend {
public:
    explicit D2xxLink(std::unique_ptr<D2xxLibrary> library, D2xxTarget target = {});
    ~D2xxLink() override;

    std::string name() const override { return "d2xx" + (target_.serial.empty() ? "" : ":" + target_.serial); }
    std::string deviceIdentity() const override;
    bool open() override;
    bool isOpen() const override { return handle_ != nullptr; }
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::string read(std::size_t maxBytes) override;
    void purgeInput() override;
    void close() override;
    std::string lastError() const override { return lastError_; }
    std::string usbSerial() const override { return target_.serial.empty() ? pinned_ : target_.serial; }
    WireTiming wireTiming() const override { return {target_.rate, latencyMs_}; }
    bool drainOutput(int timeoutMs) override;

private:
    bool openDevice(D2xxApi::Handle* h);
    bool setLine();
    void pinSerial();

    std::unique_ptr<D2xxLibrary> lib_;
    D2xxTarget target_;
    std::string pinned_;  // the serial number of the device the first open found
    void* handle_ = nullptr;
    int latencyMs_ = 16;  // the chip's power-on latency timer until the link sets it
    std::string lastError_;
};

}  // namespace zmx
