#pragma once
// Texts and reference geometry of the board grid and of the selected-board banners: the
// grid headers, the board-button captions, the board-number texts and the positions that
// follow the number of boards and the selected board (window units).

#include <array>
#include <string>

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

// The address digit list of the address box: "0".."9", "A".."F". Index of the digit of an
// address text such as "8A" (10), or -1 when it has none that matches.
int addressDigitIndex(const std::string& addressHex);
// "8" followed by the digit of list index d (0..15).
std::string addressOfDigitIndex(int digitIndex);

// Reference geometry (window units).
struct Rect {
    int left, top, width, height;
};
constexpr int kBroadcastWideWidth = 113;   // box captioned "BROADCAST"
constexpr int kBroadcastNarrowWidth = 57;  // box captioned "B'CAST"
inline int cellHeaderLeft(int lastBoardIndex) { return 536 + 24 * lastBoardIndex; }
inline int stackBarHeight(int lastBoardIndex) { return 41 + 40 * lastBoardIndex; }
inline int stackBarTop(int lastBoardIndex) { return 532 - 40 * lastBoardIndex; }
inline int boardPointerLeft(int slot) { return 504 + 24 * slot; }
// Board button: the selected one is shorter and lower, so its row stands out.
inline int boardButtonTop(int slot, bool selected) { return selected ? 537 - 40 * slot : 532 - 40 * slot; }
inline int boardButtonHeight(bool selected) { return selected ? 30 : 41; }

}  // namespace zmx
