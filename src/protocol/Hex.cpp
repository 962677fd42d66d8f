#include "protocol/Hex.h"

namespace zmx {

namespace {
int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
}  // namespace

char hexDigit(int nibble) { return "0123456789ABCDEF"[nibble & 0x0F]; }

std::string byteText(uint8_t value) { return std::string{hexDigit(value >> 4), hexDigit(value)}; }

uint32_t hexTextValue(std::string_view text, std::size_t maxDigits) {
    uint32_t value = 0;
    for (std::size_t i = 0; i < text.size() && i < maxDigits; ++i) {
        const int d = digitValue(text[i]);
        if (d < 0) break;
        value = value * 16 + static_cast<uint32_t>(d);
    }
    return value;
}

uint32_t wholeHexValue(std::string_view text) {
    for (char c : text)
        if (digitValue(c) < 0) return 0;
    return hexTextValue(text, text.size());
}

uint8_t textToByte(std::string_view text) { return static_cast<uint8_t>(hexTextValue(text, 2)); }

uint8_t replyByteAt(std::string_view reply, std::size_t pos) {
    if (pos == 0 || pos > reply.size()) return 0;
    return textToByte(reply.substr(pos - 1, 2));
}

std::string_view replyCharAt(std::string_view reply, std::size_t pos) {
    if (pos == 0 || pos > reply.size()) return {};
    return reply.substr(pos - 1, 1);
}

}  // namespace zmx
