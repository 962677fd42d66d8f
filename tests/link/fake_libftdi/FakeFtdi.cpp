// The libftdi1 stand-in: the calls the libftdi1 link makes, with libftdi1 1.5's return codes
// and messages, on devices that each put a simulated stack behind the wire model. Linked into
// a test program, these definitions win over libftdi1.so's for the link code in zmx_logic.

#include "FakeFtdi.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

// libusb's device and handle are opaque to their users; the stand-in gives them its own
// contents: which device of the bus, and which plug-in of it.
struct libusb_device {
    int index;
    int generation;
};
struct libusb_device_handle {
    int index;
    int generation;
    bool reattach;  // ftdi_sio was detached by this handle and goes back on release
};

namespace zmx::fakeftdi {

namespace {

constexpr uint16_t kFtdiVendor = 0x0403;
// The product IDs libftdi1 looks for when the caller names none.
constexpr uint16_t kFtdiProducts[] = {0x6001, 0x6010, 0x6011, 0x6014, 0x6015};
constexpr unsigned short kModemStatusBits = 0x0001;      // the chip's reserved low bit
constexpr unsigned short kTransmitterEmpty = 0x6000;     // THRE | TEMT of the line status
constexpr int kLibusbNoDevice = LIBUSB_ERROR_NO_DEVICE;  // -4

struct Bus {
    std::vector<std::unique_ptr<Device>> devices;
    bool fastForward = true;
} bus;

int fail(ftdi_context* f, int code, const char* message) {
    if (f) f->error_str = message;
    return code;
}

// The device behind an open handle, or null when the handle is of an unplugged device.
Device* live(libusb_device_handle* h) {
    if (!h || h->index < 0 || h->index >= deviceCount()) return nullptr;
    Device& d = device(h->index);
    return d.plugged && d.generation == h->generation ? &d : nullptr;
}

Device* live(libusb_device* dev) {
    if (!dev || dev->index < 0 || dev->index >= deviceCount()) return nullptr;
    Device& d = device(dev->index);
    return d.plugged && d.generation == dev->generation ? &d : nullptr;
}

bool matches(const Device& d, int vendor, int product) {
    if (vendor == 0 && product == 0)
        return d.setup.vendorId == kFtdiVendor && std::find(std::begin(kFtdiProducts), std::end(kFtdiProducts),
                                                           d.setup.productId) != std::end(kFtdiProducts);
    return d.setup.vendorId == vendor && d.setup.productId == product;
}

void copyOut(char* out, int len, const std::string& s) {
    if (!out || len <= 0) return;
    const std::size_t n = std::min(s.size(), static_cast<std::size_t>(len - 1));
    std::memcpy(out, s.data(), n);
    out[n] = '\0';
}

// The wire's next event, when fast-forward lets the clock jump there.
void stepClock(Device& d, double horizonMs) {
    const double t = d.wire->nextEventMs();
    if (t > d.stack->nowMs() + horizonMs) return;
    d.stack->advanceTo(t);
    d.wire->advanceTo(t);
}

}  // namespace

void reset() {
    bus.devices.clear();
    bus.fastForward = true;
}

int addDevice(DeviceSetup setup) {
    auto d = std::make_unique<Device>();
    d->setup = std::move(setup);
    d->stack = std::make_shared<sim::SimStack>(d->setup.stack);
    d->stack->useManualClock(d->setup.manualClock);
    d->wire = std::make_unique<sim::SimWire>(d->stack, d->setup.wire);
    d->latencyMs = static_cast<int>(d->setup.wire.latencyMs);
    bus.devices.push_back(std::move(d));
    return deviceCount() - 1;
}

Device& device(int index) {
    if (index < 0 || index >= deviceCount()) throw std::out_of_range("no such fake FTDI device");
    return *bus.devices[static_cast<std::size_t>(index)];
}

int deviceCount() { return static_cast<int>(bus.devices.size()); }

void setFastForward(bool on) { bus.fastForward = on; }
void denyAccess(int index, bool denied) { device(index).accessDenied = denied; }
void holdElsewhere(int index, bool held) { device(index).heldElsewhere = held; }

void setPlugged(int index, bool plugged) {
    Device& d = device(index);
    if (d.plugged == plugged) return;
    d.plugged = plugged;
    d.stack->setPlugged(plugged);
    if (plugged) {
        // A new USB device: ftdi_sio binds it again, no handle of the old one reaches it.
        ++d.generation;
        d.kernelDriverBound = true;
        d.open = false;
        d.latencyMs = 16;
        d.wire->setLatencyMs(16);
    }
}

}  // namespace zmx::fakeftdi

using namespace zmx::fakeftdi;

extern "C" {

ftdi_context* ftdi_new(void) {
    auto* f = new ftdi_context{};
    f->usb_read_timeout = 5000;
    f->usb_write_timeout = 5000;
    f->baudrate = -1;
    f->module_detach_mode = AUTO_DETACH_SIO_MODULE;
    return f;
}

int ftdi_usb_close(ftdi_context* f);

void ftdi_free(ftdi_context* f) {
    if (!f) return;
    if (f->usb_dev) ftdi_usb_close(f);
    delete f;
}

const char* ftdi_get_error_string(ftdi_context* f) { return f ? f->error_str : nullptr; }

int ftdi_usb_find_all(ftdi_context* f, ftdi_device_list** devlist, int vendor, int product) {
    *devlist = nullptr;
    ftdi_device_list** tail = devlist;
    int count = 0;
    for (int i = 0; i < deviceCount(); ++i) {
        const Device& d = device(i);
        if (!d.plugged || !matches(d, vendor, product)) continue;
        *tail = new ftdi_device_list{nullptr, new libusb_device{i, d.generation}};
        tail = &(*tail)->next;
        ++count;
    }
    (void)f;
    return count;
}

void ftdi_list_free(ftdi_device_list** devlist) {
    for (ftdi_device_list* d = devlist ? *devlist : nullptr; d;) {
        ftdi_device_list* next = d->next;
        delete d->dev;
        delete d;
        d = next;
    }
    if (devlist) *devlist = nullptr;
}

// Opens the device briefly, as libftdi1 does, so a node without access fails here too, and
// fails when asked for a serial number the device does not have.
int ftdi_usb_get_strings(ftdi_context* f, libusb_device* dev, char* manufacturer, int mnf_len, char* description,
                         int desc_len, char* serial, int serial_len) {
    Device* d = live(dev);
    if (!d || d->accessDenied) return fail(f, -4, "libusb_open() failed");
    // libusb refuses string index 0, which is what a device without a serial number has.
    if (serial && serial_len > 0 && d->setup.serial.empty())
        return fail(f, -9, "libusb_get_string_descriptor_ascii() failed");
    copyOut(manufacturer, mnf_len, "FTDI");
    copyOut(description, desc_len, d->setup.description);
    copyOut(serial, serial_len, d->setup.serial);
    return 0;
}

int ftdi_usb_open_dev(ftdi_context* f, libusb_device* dev) {
    if (!f) return -8;
    Device* d = live(dev);
    if (!d || d->accessDenied) return fail(f, -4, "libusb_open() failed");
    const bool mustDetach = d->kernelDriverBound && f->module_detach_mode != DONT_DETACH_SIO_MODULE;
    if (d->heldElsewhere || d->open || (d->kernelDriverBound && !mustDetach))
        return fail(f, -5, "unable to claim usb device. Make sure the default FTDI driver is not in use");
    auto* h = new libusb_device_handle{dev->index, d->generation, false};
    if (mustDetach) {
        d->kernelDriverBound = false;
        ++d->detaches;
        h->reattach = f->module_detach_mode == AUTO_DETACH_REATACH_SIO_MODULE;
    }
    f->usb_dev = h;
    f->type = TYPE_R;
    f->baudrate = 9600;
    d->open = true;
    ++d->opens;
    d->baudrate = 9600;
    // The open resets the chip's data path; received characters of an earlier user go.
    d->wire->purgeReceived();
    return 0;
}

int ftdi_usb_close(ftdi_context* f) {
    if (!f || !f->usb_dev) return 0;
    libusb_device_handle* h = f->usb_dev;
    f->usb_dev = nullptr;
    Device* d = live(h);
    if (d) {
        d->open = false;
        ++d->closes;
        if (h->reattach) {
            d->kernelDriverBound = true;
            ++d->reattaches;
        }
    }
    delete h;
    return d ? 0 : fail(f, -1, "usb_release failed");
}

int ftdi_set_baudrate(ftdi_context* f, int baudrate) {
    Device* d = live(f ? f->usb_dev : nullptr);
    if (!d) return fail(f, -3, "USB device unavailable");
    if (baudrate <= 0) return fail(f, -1, "Silly baudrate <= 0.");
    if (baudrate > 3000000)
        return fail(f, -1, "Unsupported baudrate. Note: bitbang baudrates are automatically multiplied by 4");
    d->baudrate = f->baudrate = baudrate;
    return 0;
}

int ftdi_set_line_property(ftdi_context* f, ftdi_bits_type bits, ftdi_stopbits_type sbit, ftdi_parity_type parity) {
    Device* d = live(f ? f->usb_dev : nullptr);
    if (!d) return fail(f, -1, "Setting new line property failed");
    d->bits = bits;
    d->stopBits = sbit;
    d->parity = parity;
    return 0;
}

int ftdi_setflowctrl(ftdi_context* f, int flowctrl) {
    Device* d = live(f ? f->usb_dev : nullptr);
    if (!d) return fail(f, -1, "set flow control failed");
    d->flowControl = flowctrl;
    return 0;
}

int ftdi_set_latency_timer(ftdi_context* f, unsigned char latency) {
    if (latency < 1) return fail(f, -1, "latency out of range. Only valid for 1-255");
    Device* d = live(f ? f->usb_dev : nullptr);
    if (!d) return fail(f, -2, "unable to set latency timer");
    d->latencyMs = latency;
    d->wire->setLatencyMs(latency);
    return 0;
}

int ftdi_write_data(ftdi_context* f, const unsigned char* buf, int size) {
    if (!f || !f->usb_dev) return fail(f, -666, "USB device unavailable");
    Device* d = live(f->usb_dev);
    if (!d) return fail(f, -1, "usb bulk write failed");
    if (size <= 0) return 0;
    // Returns once the bytes are in the chip's transmit FIFO; the line drains them later.
    const std::size_t n = d->wire->hostWrite(std::string_view(reinterpret_cast<const char*>(buf), size));
    return static_cast<int>(n);
}

int ftdi_read_data(ftdi_context* f, unsigned char* buf, int size) {
    if (!f || !f->usb_dev) return fail(f, -666, "USB device unavailable");
    Device* d = live(f->usb_dev);
    if (!d) return fail(f, kLibusbNoDevice, "usb bulk read failed");
    if (size <= 0) return 0;
    if (bus.fastForward && d->wire->hostAvailable() == 0) stepClock(*d, f->usb_read_timeout);
    // hostRead without a wait: what the latency timer or a full packet has delivered.
    const std::string got = d->wire->hostRead(std::min<std::size_t>(size, d->wire->hostAvailable()), 0);
    std::memcpy(buf, got.data(), got.size());
    return static_cast<int>(got.size());
}

int ftdi_tciflush(ftdi_context* f) {
    Device* d = live(f ? f->usb_dev : nullptr);
    if (!d) return fail(f, -1, "FTDI purge of RX buffer failed");
    ++d->rxPurges;
    d->wire->purgeReceived();
    return 0;
}

int ftdi_tcoflush(ftdi_context* f) {
    Device* d = live(f ? f->usb_dev : nullptr);
    if (!d) return fail(f, -1, "FTDI purge of TX buffer failed");
    ++d->txPurges;
    d->wire->purgeTransmit();
    return 0;
}

int ftdi_tcioflush(ftdi_context* f) {
    const int rc = ftdi_tcoflush(f);
    return rc < 0 ? rc : ftdi_tciflush(f);
}

// Modem status in the low byte, line status in the high one; TEMT (0x40 of the line
// status) once the transmit FIFO and shift register are empty.
int ftdi_poll_modem_status(ftdi_context* f, unsigned short* status) {
    Device* d = live(f ? f->usb_dev : nullptr);
    if (!d) return fail(f, -1, "libusb_control_transfer failed");
    if (bus.fastForward && d->wire->transmitPending() > 0) stepClock(*d, f->usb_read_timeout);
    *status = kModemStatusBits | (d->wire->transmitPending() == 0 ? kTransmitterEmpty : 0);
    return 0;
}

int ftdi_setdtr(ftdi_context* f, int state) {
    Device* d = live(f ? f->usb_dev : nullptr);
    if (!d) return fail(f, -1, "set dtr failed");
    d->wire->setDtr(state != 0);
    return 0;
}

int ftdi_setrts(ftdi_context* f, int state) {
    Device* d = live(f ? f->usb_dev : nullptr);
    if (!d) return fail(f, -1, "set of rts failed");
    d->rts = state;
    return 0;
}

int libusb_get_device_descriptor(libusb_device* dev, libusb_device_descriptor* desc) {
    if (!dev || dev->index < 0 || dev->index >= deviceCount()) return LIBUSB_ERROR_NO_DEVICE;
    const Device& d = device(dev->index);
    *desc = {};
    desc->bLength = LIBUSB_DT_DEVICE_SIZE;
    desc->bDescriptorType = LIBUSB_DT_DEVICE;
    desc->bcdUSB = 0x0200;
    desc->idVendor = d.setup.vendorId;
    desc->idProduct = d.setup.productId;
    desc->bcdDevice = 0x0600;
    desc->iManufacturer = 1;
    desc->iProduct = 2;
    desc->iSerialNumber = d.setup.serial.empty() ? 0 : 3;
    desc->bNumConfigurations = 1;
    return 0;
}

uint8_t libusb_get_bus_number(libusb_device* dev) {
    return dev && dev->index >= 0 && dev->index < deviceCount() ? device(dev->index).setup.bus : 0;
}

int libusb_get_port_numbers(libusb_device* dev, uint8_t* port_numbers, int port_numbers_len) {
    if (!dev || dev->index < 0 || dev->index >= deviceCount()) return LIBUSB_ERROR_NO_DEVICE;
    const std::vector<uint8_t>& ports = device(dev->index).setup.ports;
    if (static_cast<int>(ports.size()) > port_numbers_len) return LIBUSB_ERROR_OVERFLOW;
    std::copy(ports.begin(), ports.end(), port_numbers);
    return static_cast<int>(ports.size());
}

uint8_t libusb_get_device_address(libusb_device* dev) {
    // Addresses are handed out anew on every plug-in.
    return dev ? static_cast<uint8_t>(2 + dev->index + 16 * dev->generation) : 0;
}

}  // extern "C"
