#pragma once
// The controller through libftdi1: the first FTDI device on the USB bus, opened and closed
// per transfer, without the kernel's serial driver. The library's header stays in the .cpp
// (it declares global names such as NONE and ODD).

#include <memory>
#include <string>
#include <string_view>

#include "link/LinkBackend.h"

namespace zmx {

// Why the FTDI device could not be opened, as far as the library's answer tells.
enum class FtdiOpenFailure { None, NoDevice, Permission, KernelDriver, UsbUnavailable, Other };

// Sorts a libftdi1 result code and message of a failed find or open.
FtdiOpenFailure classifyFtdiOpenError(int code, std::string_view message, bool duringFind);

// The text of an open failure: the cause and what the user can do about it.
std::string ftdiOpenErrorText(FtdiOpenFailure why, std::string_view libraryMessage);

class FtdiLink : public LinkBackend {
public:
    FtdiLink();
    ~FtdiLink() override;

    std::string name() const override { return "ftdi"; }
    bool open() override;
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::string read(std::size_t maxBytes) override;
    void purgeInput() override;
    void close() override;
    std::string lastError() const override { return lastError_; }

    FtdiOpenFailure lastOpenFailure() const { return lastFailure_; }

    // False when this build has no libftdi1 support.
    static bool available();
    // FTDI devices on the bus (negative: the bus could not be searched; error says why).
    static int countDevices(std::string* error);

private:
    struct Context;
    std::unique_ptr<Context> ctx_;
    int readMs_ = 1000;
    int writeMs_ = 1000;
    std::string lastError_;
    FtdiOpenFailure lastFailure_ = FtdiOpenFailure::None;
};

}  // namespace zmx
