#pragma once
// The controller as a serial device: the LK200's FTDI chip under the kernel's ftdi_sio driver
// (/dev/ttyUSB0), or a pseudo-terminal served by zmx7730-sim. Held open between transfers.

#include <memory>
#include <string>

#include "link/LinkBackend.h"
#include "link/LinkText.h"

namespace zmx {

class SerialLink : public LinkBackend {
public:
    explicit SerialLink(std::string path, uint32_t rate = kDefaultLineRate);
    ~SerialLink() override;

    std::string name() const override { return "serial:" + path_; }
    bool open() override;
    bool isOpen() const override;
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::string read(std::size_t maxBytes) override;
    void purgeInput() override;
    void close() override;
    std::string lastError() const override { return lastError_; }
    WireTiming wireTiming() const override { return {rate_, 16}; }
    bool drainOutput(int) override { return isOpen(); }

    // False when this build has no serial port support.
    static bool available();

private:
    struct Port;
    bool setLine();

    std::string path_;
    uint32_t rate_;
    std::unique_ptr<Port> port_;
    int readMs_ = 1000;
    int writeMs_ = 1000;
    std::string lastError_;
};

}  // namespace zmx
