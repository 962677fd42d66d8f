#pragma once
// Texts of the board grid and of the selected-board banners: the grid headers, the
// board-button captions, the board-number texts and the address digit list.

#include <array>
#include <string>

#include "protocol/BoardAddress.h"

namespace zmx {

// "BOARD#   1" then each further board number right-aligned in seven characters.
std::string boardHeaderText(int lastBoardIndex);

// "ADDRESS " then slot 0's address, then four spaces and the address of each further slot.
std::string addressHeaderText(const std::array<std::string, 11>& addresses, int lastBoardIndex);

// "BRD# 1    0x80" .. "BRD# 9    0x88", "BRD#10   0x89": the caption of board button slot.
std::string boardButtonCaption(int slot, const std::string& addressHex);

// The board-number texts shown for the selected board.
struct BoardBanners {
    std::string label21;        // "1" / "10"
    std::string customVoltage;  // Label13(0): "CUSTOM  BOARD # 1" / "CUSTOM  BOARD #10"
    std::string customCfgr0;    // Option3(0): "CUSTOM BRD# 1" / "CUSTOM BRD#10"
    std::string addressPrompt;  // Label14: "SET/ DISPLAY BOARD # 1 AT HEX ADDRESS"
    std::string boardOnly;      // Label18(0..3): "BOARD# 1 ONLY"
    std::string companion;      // Label19(0..5), Label20(1..2): "BRD#1" / "BRD#10"
    std::string cellHexTip;     // Command5(3) tool tip
    std::string tempHexTip;     // Command5(4) tool tip
};
BoardBanners boardBanners(int slot);

// The address box lists the digits "0".."9", "A".."F": addressDigitIndex and
// addressOfDigitIndex (protocol/BoardAddress.h) map between the list and the address text.

}  // namespace zmx
