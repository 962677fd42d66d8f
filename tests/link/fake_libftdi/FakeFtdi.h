#pragma once
// Controls of the libftdi1 stand-in (FakeFtdi.cpp). The stand-in defines the ftdi_* and
// libusb_* calls the libftdi1 link makes; linked into a test program its definitions take
// the place of libftdi1.so's. Behind every device sits a simulated stack on the wire model
// (sim/SimWire.h), so the link meets the chip's timing: a write returns once its bytes are
// in the transmit FIFO, a read returns at once with what the latency timer has delivered,
// a transmit purge drops what has not left yet.
//
// Clock: with fastForward (the default) an empty read, or a modem-status poll that finds
// the transmitter busy, moves the stack's clock to the wire's next event, so tests run at
// the speed of the link's own polling; give the stack a manual clock to make them exact.
// Without it the stack's clock follows the steady clock and tests take real wire time.
//
//   using namespace zmx::fakeftdi;
//   reset();
//   const int lk = addDevice({.serial = "LK200A01"});
//   FtdiLink link({.serial = "LK200A01"});
//   ... device(lk).wire->arrivedAtController() ...

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/SimStack.h"
#include "sim/SimWire.h"

namespace zmx::fakeftdi {

struct DeviceSetup {
    std::string serial = "LK200A01";  // empty: the device has no serial number
    uint16_t vendorId = 0x0403, productId = 0x6001;
    std::string description = "LK200";
    uint8_t bus = 1;
    std::vector<uint8_t> ports{1};  // the hub port path, "1-1" here
    sim::SimOptions stack = {};
    sim::WireOptions wire = {};
    bool manualClock = true;  // the stack's clock moves only when the wire waits
};

struct Device {
    DeviceSetup setup;
    std::shared_ptr<sim::SimStack> stack;
    std::unique_ptr<sim::SimWire> wire;
    bool plugged = true;
    int generation = 0;  // counts re-plugs: a handle of an earlier one is dead
    bool accessDenied = false;
    bool heldElsewhere = false;     // another program has claimed the interface
    bool kernelDriverBound = true;  // ftdi_sio owns the interface (its tty exists)
    int detaches = 0, reattaches = 0;
    int opens = 0, closes = 0;
    bool open = false;
    // What the link set.
    int baudrate = 0, bits = -1, stopBits = -1, parity = -1, flowControl = -1, latencyMs = 16;
    int rts = -1;
    int rxPurges = 0, txPurges = 0;
};

// Removes every device; fastForward back on.
void reset();
// Adds a device to the bus; returns its index.
int addDevice(DeviceSetup setup);
Device& device(int index);
int deviceCount();

void setFastForward(bool on);
// The device's node refuses libusb_open (no udev rule): open and string reads fail with -4.
void denyAccess(int index, bool denied);
// Another program holds the device's interface: claiming fails with -5.
void holdElsewhere(int index, bool held);
// Unplugged: it leaves the bus, reads and writes of an open handle fail; re-plugged, it is
// a new USB device at the same place, with its kernel driver bound again.
void setPlugged(int index, bool plugged);

}  // namespace zmx::fakeftdi
