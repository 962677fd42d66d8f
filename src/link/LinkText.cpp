#include "link/LinkText.h"

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

// The USB part of an ftdi or d2xx text, after "ftdi:": SERIAL, or VID:PID[:SERIAL].
void parseUsbTarget(const std::string& rest, ParsedLink& parsed) {
    const std::vector<std::string> parts = splitColons(rest);
    if (parts.size() == 1) {
        parsed.serial = parts[0];
        if (parsed.serial.empty()) parsed.error = "an empty USB serial number";
        return;
    }
    uint16_t vid = 0, pid = 0;
    if (parts.size() > 3 || !parseUsbId(parts[0], &vid) || !parseUsbId(parts[1], &pid)) {
        parsed.error = "\"" + rest + "\" is neither a USB serial number nor VID:PID[:SERIAL] (four hex digits each)";
        return;
    }
    parsed.vendorId = vid;
    parsed.productId = pid;
    if (parts.size() == 3) {
        parsed.serial = parts[2];
        if (parsed.serial.empty()) parsed.error = "an empty USB serial number";
    }
}

}  // namespace

std::vector<std::string> splitColons(const std::string& s) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t p; (p = s.find(':', start)) != std::string::npos; start = p + 1)
        parts.push_back(s.substr(start, p - start));
    parts.push_back(s.substr(start));
    return parts;
}

namespace {

// Every form parseLinkText takes; the error lines and both usage texts are made from it.
constexpr const char* kLinkForms[] = {"sim",
                                      "serial:PATH[@RATE]",
                                      "ftdi[:SERIAL][@RATE]",
                                      "ftdi:VID:PID[:SERIAL][@RATE]",
                                      "d2xx[:SERIAL][@RATE]",
                                      "d2xx:VID:PID[:SERIAL][@RATE]"};
constexpr std::size_t kLinkFormCount = sizeof kLinkForms / sizeof kLinkForms[0];

}  // namespace

const char* linkTextForms() {
    static const std::string joined = [] {
        std::string s;
        for (std::size_t i = 0; i < kLinkFormCount; ++i)
            s += (i == 0 ? "" : i + 1 == kLinkFormCount ? " or " : ", ") + std::string(kLinkForms[i]);
        return s;
    }();
    return joined.c_str();
}

std::string linkTextFormsColumn(std::size_t indent, std::size_t width) {
    std::string out, line;
    for (std::size_t i = 0; i < kLinkFormCount; ++i) {
        const std::string item = (i == 0 ? "" : "| ") + std::string(kLinkForms[i]);
        if (!line.empty() && indent + line.size() + 1 + item.size() > width) {
            out += line + "\n" + std::string(indent, ' ');
            line.clear();
        }
        line += (line.empty() ? "" : " ") + item;
    }
    return out + line;
}

ParsedLink parseLinkText(const std::string& textIn) {
    ParsedLink parsed;
    if (textIn.empty()) return parsed;
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
            parsed.error = "link " + textIn + ": the line rate \"" + rateText + "\" is not a number of baud";
            return parsed;
        }
        parsed.rate = static_cast<uint32_t>(rate);
        parsed.rateGiven = true;
        text.erase(at);
    }
    auto fail = [&](const std::string& why) {
        parsed.error = "link " + textIn + ": " + why + "; --link takes " + linkTextForms();
        return parsed;
    };
    if (text == "sim") {
        parsed.kind = ParsedLink::Kind::Sim;
        return parsed;
    }
    if (text.rfind("serial:", 0) == 0) {
        parsed.kind = ParsedLink::Kind::Serial;
        parsed.path = text.substr(7);
        if (parsed.path.empty()) return fail("serial: needs a device path");
        return parsed;
    }
    for (const auto& [prefix, kind] :
         {std::pair{"ftdi", ParsedLink::Kind::Ftdi}, std::pair{"d2xx", ParsedLink::Kind::D2xx}}) {
        const std::string p = prefix;
        if (text == p) {
            parsed.kind = kind;
            return parsed;
        }
        if (text.rfind(p + ":", 0) == 0) {
            parsed.kind = kind;
            parseUsbTarget(text.substr(p.size() + 1), parsed);
            if (!parsed.error.empty()) return fail(parsed.error);
            return parsed;
        }
    }
    return fail("not known");
}

}  // namespace zmx
