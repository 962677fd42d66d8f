#include "rules/BoardLayout.h"

#include <string_view>

namespace zmx {

namespace {

// The board number as the form writes it after "#": " 1" .. " 9", "10".
std::string paddedNumber(int slot) {
    const int n = slot + 1;
    return n < 10 ? " " + std::to_string(n) : std::to_string(n);
}

std::string rightAligned(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

}  // namespace

std::string boardHeaderText(int lastBoardIndex) {
    std::string text = "BOARD#   1";
    for (int m = 2; m <= lastBoardIndex + 1; ++m) text += rightAligned(std::to_string(m), 7);
    return text;
}

std::string addressHeaderText(const std::array<std::string, 11>& addresses, int lastBoardIndex) {
    std::string text = "ADDRESS " + addresses[0];
    for (int s = 1; s <= lastBoardIndex; ++s) text += "    " + addresses[s];
    return text;
}

std::string boardButtonCaption(int slot, const std::string& addressHex) {
    const std::string head = slot < 9 ? "BRD#" + paddedNumber(slot) + "    0x" : "BRD#10   0x";
    return head + addressHex;
}

BoardBanners boardBanners(int slot) {
    const std::string padded = paddedNumber(slot);
    const std::string plain = std::to_string(slot + 1);
    BoardBanners b;
    b.label21 = plain;
    b.customVoltage = "CUSTOM  BOARD #" + padded;
    b.customCfgr0 = "CUSTOM BRD#" + padded;
    // "BOARD # 1" for one digit, "BOARD#10" for two: the number fills the space before it.
    b.addressPrompt = "SET/ DISPLAY BOARD" + (slot < 9 ? " # " + plain : "#10") + " AT HEX ADDRESS";
    b.boardOnly = "BOARD#" + padded + " ONLY";
    b.companion = "BRD#" + plain;
    b.cellHexTip = "READ ONLY BRD#" + plain + " CELLS FOR SELFTEST IN HEX.";
    b.tempHexTip = "READ ONLY BRD#" + plain + " TEMPS FOR SELFTEST IN HEX.";
    return b;
}

}  // namespace zmx
