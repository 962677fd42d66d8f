#pragma once
// The --link text taken apart: which backend, which device, which line rate.
//   sim
//   serial:PATH[@RATE]
//   ftdi[:SERIAL][@RATE]   ftdi:VID:PID[:SERIAL][@RATE]
//   d2xx[:SERIAL][@RATE]   d2xx:VID:PID[:SERIAL][@RATE]
// VID and PID are four hex digits; an empty text means "find a controller".

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zmx {

// 9600 8N1: the rate the FTDI chip of the controller powers up with and the one its firmware
// talks at; the virtual COM port of a FIFO-mode chip ignores it, a UART-mode chip needs it.
inline constexpr uint32_t kDefaultLineRate = 9600;

struct ParsedLink {
    enum class Kind { Auto, Sim, Serial, Ftdi, D2xx };
    Kind kind = Kind::Auto;
    std::string path;    // serial
    std::string serial;  // ftdi, d2xx: USB serial number; empty = the first device
    std::optional<uint16_t> vendorId, productId;
    uint32_t rate = kDefaultLineRate;
    bool rateGiven = false;
    std::string error;  // set when the text cannot be used
};

ParsedLink parseLinkText(const std::string& text);

// "a:b:c" as its colon-separated fields ("" gives one empty field); the link text and the
// simulator's fault options share this separator.
std::vector<std::string> splitColons(const std::string& s);

// The accepted forms, for error lines and the usage text.
const char* linkTextForms();

// The same forms as a usage text's column: one form after another, separated by " | ",
// broken into lines of at most `width` characters, every line after the first indented by
// `indent` spaces. Both programs' --help list the forms with it.
std::string linkTextFormsColumn(std::size_t indent, std::size_t width);

}  // namespace zmx
