#pragma once
// The controller through libftdi1: the first FTDI device on the USB bus, held open between
// transfers, without the kernel's serial driver. The library's header stays in the .cpp
// (it declares global names such as NONE and ODD).
//
// The kernel's ftdi_sio driver is let go only while the link holds the device and bound
// again when it closes, so other adapters' and this one's ttys come back. A reopen takes the
// device the first open found: by its serial number, or by its USB bus location when it has
// none.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/LinkBackend.h"
#include "link/LinkDiscovery.h"
#include "link/LinkText.h"

namespace zmx {

// Why the FTDI device could not be opened, as far as the library's answer tells.
enum class FtdiOpenFailure { None, NoDevice, Permission, KernelDriver, UsbUnavailable, Other };

// Sorts a libftdi1 result code and message of a failed find or open.
FtdiOpenFailure classifyFtdiOpenError(int code, std::string_view message, bool duringFind);

// The text of an open failure: the cause and what the user can do about it.
std::string ftdiOpenErrorText(FtdiOpenFailure why, std::string_view libraryMessage);

// Shortest wait of one USB read. Each read may wait up to the time left before the reply's
// deadline: a read that times out in libusb can still have carried data, which libftdi1 then
// drops with the error, so it must not time out while the reply is still due. The chip's
// latency timer bounds each wait anyway (it answers every read within it, with or without data).
inline constexpr int kMinUsbReadTimeoutMs = 50;
int usbReadTimeoutMs(int64_t msLeft);

// Which device the libftdi1 link opens: a USB serial number (empty: the first device), the
// vendor and product ID of a board with IDs of its own (absent: FTDI's own), and the line rate.
struct FtdiTarget {
    std::string serial;
    std::optional<uint16_t> vendorId, productId;
    uint32_t rate = kDefaultLineRate;
};

class FtdiLink : public LinkBackend {
public:
    explicit FtdiLink(FtdiTarget target = {});
    ~FtdiLink() override;

    std::string name() const override;
    std::string deviceIdentity() const override;
    bool open() override;
    bool isOpen() const override;
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::string read(std::size_t maxBytes) override;
    void purgeInput() override;
    void close() override;
    std::string lastError() const override { return lastError_; }
    std::string usbSerial() const override;
    WireTiming wireTiming() const override;
    // Polls the chip's line status until its transmitter is empty (TEMT).
    bool drainOutput(int timeoutMs) override;

    FtdiOpenFailure lastOpenFailure() const { return lastFailure_; }

    // False when this build has no libftdi1 support.
    static bool available();
    // FTDI devices on the bus (negative: the bus could not be searched; error says why).
    static int countDevices(std::string* error);
    // The FTDI devices with their serial numbers; nullopt when the bus cannot be searched.
    static std::optional<std::vector<UsbDeviceSeen>> listDevices(std::string* error,
                                                                 std::optional<uint16_t> vendorId = {},
                                                                 std::optional<uint16_t> productId = {});

private:
    bool setLine();
    // Closes the device after a failed call, keeping the library's message.
    void failDevice(const std::string& what);

    struct Context;
    std::unique_ptr<Context> ctx_;
    FtdiTarget target_;
    std::string pinned_;       // the serial number of the device the first open found
    std::string pinnedPlace_;  // its USB bus location ("1-1.4") when it has no serial number
    bool pinFailed_ = false;   // the first open's device had neither; a reopen cannot tell it
    int readMs_ = 1000;
    int writeMs_ = 1000;
    std::string lastError_;
    FtdiOpenFailure lastFailure_ = FtdiOpenFailure::None;
};

}  // namespace zmx
