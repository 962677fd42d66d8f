#include "sim/ControllerTexts.h"

#include <cstdint>

namespace zmx::sim {

namespace {

bool isPollCommand(int b) { return b == 0x40 || b == 0x50; }

}  // namespace

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void TextAssembler::add(std::string_view bytes) { buffer_.append(bytes); }

std::optional<std::string> TextAssembler::next() {
    const std::size_t n = completeLength();
    if (n == 0) return std::nullopt;
    std::string text = buffer_.substr(0, n);
    buffer_.erase(0, n);
    return text;
}

std::string TextAssembler::takePartial() {
    std::string rest;
    rest.swap(buffer_);
    return rest;
}

std::size_t TextAssembler::completeLength() const {
    const std::string& b = buffer_;
    const auto at = [&](std::size_t i) { return i < b.size() ? b[i] : '\0'; };
    std::size_t i = 0;
    // Characters outside the grammar before a text belong to it (the controller skips them).
    while (i < b.size()) {
        const char c = b[i];
        if (c == 'I' || c == 'M') break;
        ++i;
    }
    if (i >= b.size()) return 0;
    if (b[i] == 'I') return at(i + 1) == 'Z' ? i + 2 : (i + 1 < b.size() ? i + 1 : 0);
    // 'M'
    if (i + 1 >= b.size()) return 0;
    if (at(i + 1) == 'I') return i + 2;
    if (at(i + 1) != 'S') return i + 1;
    if (i + 2 >= b.size()) return 0;
    if (at(i + 2) == 'X') return i + 3;
    if (at(i + 2) != 'x') return i + 2;

    // Inside a frame: S/T items with two hex digits, R items, X closes.
    std::vector<int> sentBytes;  // the "S" bytes while the frame holds nothing else
    bool onlySendItems = true;
    for (std::size_t k = i + 3; k < b.size();) {
        const char c = b[k];
        if (c == 'X') return k + 1;
        if (c == 'M' && at(k + 1) == 'S' && (at(k + 2) == 'x' || at(k + 2) == 'X')) return k;  // a new text
        if (c == 'S' || c == 'T') {
            if (k + 2 >= b.size()) return 0;
            const int hi = hexValue(b[k + 1]), lo = hexValue(b[k + 2]);
            if (hi < 0 || lo < 0) {
                ++k;
                continue;
            }
            if (c == 'T') onlySendItems = false;
            if (onlySendItems) sentBytes.push_back(hi * 16 + lo);
            k += 3;
            // A poll, broadcast (command, PEC) or addressed (address, PEC, command, PEC),
            // is complete without "X".
            if (onlySendItems) {
                const std::size_t n = sentBytes.size();
                if (n == 2 && isPollCommand(sentBytes[0])) return k;
                if (n == 4 && sentBytes[0] >= 0x80 && sentBytes[0] <= 0x8F && isPollCommand(sentBytes[2])) return k;
            }
            continue;
        }
        if (c == 'R') onlySendItems = false;
        ++k;
    }
    return 0;
}

}  // namespace zmx::sim
