#pragma once
// The controller as a serial device: the LK200's FTDI chip under the kernel's ftdi_sio driver
// (/dev/ttyUSB0), or a pseudo-terminal served by zmx7730-sim. Held open between transfers, on
// a plain descriptor with its own terminal settings: raw 8N1, and no HUPCL, so DTR and RTS do
// not move when the port is closed. The device itself is locked, so a second program is
// refused whichever name it opens it by.

#include <string>

#include "link/LinkBackend.h"
#include "link/LinkText.h"

namespace zmx {

class SerialLink : public LinkBackend {
public:
    explicit SerialLink(std::string path, uint32_t rate = kDefaultLineRate);
    ~SerialLink() override;
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    std::string name() const override { return "serial:" + path_; }
    bool open() override;
    bool isOpen() const override { return fd_ >= 0; }
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::string read(std::size_t maxBytes) override;
    void purgeInput() override;
    void close() override;
    std::string lastError() const override { return lastError_; }

    std::string usbSerial() const override;
    WireTiming wireTiming() const override { return timing_; }
    // Waits for the driver's queue to empty (TIOCOUTQ) within the time-out, and only then
    // for the chip's transmitter (tcdrain), which cannot be bounded itself but then has at
    // most the chip's FIFO left to send.
    bool drainOutput(int timeoutMs) override;

    // True: the link needs nothing beyond the kernel's tty interface (the factory still asks).
    static bool available();

private:
    bool failOpen(std::string why);
    void failDevice(std::string why);  // records the error and closes the device
    std::string inUseText(int ownFd) const;

    std::string path_;
    uint32_t rate_;
    int fd_ = -1;
    int readMs_ = 1000;
    int writeMs_ = 1000;
    WireTiming timing_;
    std::string usbSerial_;  // of the device last opened
    std::string lastError_;
};

}  // namespace zmx
