#include "link/LinkSpec.h"

#include <charconv>
#include <vector>

namespace zmx {

namespace {

bool parseNumber(const std::string& s, int base, uint64_t max, uint64_t* out) {
    if (s.empty()) return false;
    uint64_t v = 0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (ec != std::errc() || p != s.data() + s.size() || v > max) return false;
    *out = v;
    return true;
}

bool parseUsbId(std::string s, uint16_t* out) {
    if (s.rfind("0x", 0) == 0 || s.rfind("0X", 0) == 0) s.erase(0, 2);
    uint64_t v = 0;
    if (s.size() != 4 || !parseNumber(s, 16, 0xFFFF, &v)) return false;
    *out = static_cast<uint16_t>(v);
    return true;
}

std::vector<std::string> splitColons(const std::string& s) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t p; (p = s.find(':', start)) != std::string::npos; start = p + 1)
        parts.push_back(s.substr(start, p - start));
    parts.push_back(s.substr(start));
    return parts;
}

// The USB part of an ftdi or d2xx text, after "ftdi:": SERIAL, or VID:PID[:SERIAL].
void parseUsbTarget(const std::string& rest, LinkSpec& spec) {
    const std::vector<std::string> parts = splitColons(rest);
    if (parts.size() == 1) {
        spec.serial = parts[0];
        if (spec.serial.empty()) spec.error = "an empty USB serial number";
        return;
    }
    uint16_t vid = 0, pid = 0;
    if (parts.size() > 3 || !parseUsbId(parts[0], &vid) || !parseUsbId(parts[1], &pid)) {
        spec.error = "\"" + rest + "\" is neither a USB serial number nor VID:PID[:SERIAL] (four hex digits each)";
        return;
    }
    spec.vendorId = vid;
    spec.productId = pid;
    if (parts.size() == 3) {
        spec.serial = parts[2];
        if (spec.serial.empty()) spec.error = "an empty USB serial number";
    }
}

}  // namespace

const char* linkSpecForms() {
    return "sim, serial:PATH[@RATE], ftdi[:SERIAL][@RATE], ftdi:VID:PID[:SERIAL][@RATE], "
           "d2xx[:SERIAL][@RATE] or d2xx:VID:PID[:SERIAL][@RATE]";
}

LinkSpec parseLinkSpec(const std::string& textIn) {
    LinkSpec spec;
    if (textIn.empty()) return spec;
    std::string text = textIn;
    // A rate is what follows the last '@'; a device path keeps an '@' that is not followed by
    // digits only (/dev/serial/by-path names can hold one).
    const std::size_t at = text.rfind('@');
    const bool serial = text.rfind("serial:", 0) == 0;
    const bool digitsAfter = at != std::string::npos && at + 1 < text.size() &&
                             text.find_first_not_of("0123456789", at + 1) == std::string::npos;
    if (at != std::string::npos && (!serial || digitsAfter)) {
        const std::string rateText = text.substr(at + 1);
        uint64_t rate = 0;
        if (!parseNumber(rateText, 10, 12000000, &rate) || rate == 0) {
            spec.error = "link " + textIn + ": the line rate \"" + rateText + "\" is not a number of baud";
            return spec;
        }
        spec.rate = static_cast<uint32_t>(rate);
        spec.rateGiven = true;
        text.erase(at);
    }
    auto fail = [&](const std::string& why) {
        spec.error = "link " + textIn + ": " + why + "; --link takes " + linkSpecForms();
        return spec;
    };
    if (text == "sim") {
        spec.kind = LinkSpec::Kind::Sim;
        return spec;
    }
    if (text.rfind("serial:", 0) == 0) {
        spec.kind = LinkSpec::Kind::Serial;
        spec.path = text.substr(7);
        if (spec.path.empty()) return fail("serial: needs a device path");
        return spec;
    }
    for (const auto& [prefix, kind] :
         {std::pair{"ftdi", LinkSpec::Kind::Ftdi}, std::pair{"d2xx", LinkSpec::Kind::D2xx}}) {
        const std::string p = prefix;
        if (text == p) {
            spec.kind = kind;
            return spec;
        }
        if (text.rfind(p + ":", 0) == 0) {
            spec.kind = kind;
            parseUsbTarget(text.substr(p.size() + 1), spec);
            if (!spec.error.empty()) return fail(spec.error);
            return spec;
        }
    }
    return fail("not known");
}

}  // namespace zmx
