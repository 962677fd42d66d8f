#pragma once
// The texts of the cell, temperature and flag boxes, and the low digits that the
// single-cell and single-channel selections give the conversion commands.

#include <string>
#include <string_view>

namespace zmx {

// Cell value box: " 0.0000" then "V  " (3.6 V shows " 3.6000V  "). A negative value
// carries its minus sign in front of the leading space: -0.768 V shows "- 0.7680V  ".
std::string cellVoltsText(float volts);

// Cell code box of the self-test view: "0x" + the three code characters + " ".
std::string cellHexText(std::string_view code);

// Temperature value box: "0.0000" then "V  " (no leading space; -0.768 shows "-0.7680V  ").
std::string tempVoltsText(float volts);

// Temperature code box of the self-test view: " 0x" + the three code characters + " ".
std::string tempHexText(std::string_view code);

// Flag box: two spaces, the two hex digits, three spaces.
std::string flagBoxText(std::string_view flgr);

// What the boxes show after a reset.
inline constexpr std::string_view kClearedCellText = " 0.0000V  ";
inline constexpr std::string_view kClearedCellHexText = " 0x000 ";
inline constexpr std::string_view kClearedTempText = " 0.0000V ";

// Low digit of STCVAD and relatives for one cell (index 0..11): "1".."9", "A".."C".
std::string cellSelectDigitFor(int cellIndex);

// Temperature boxes j (0 ITMP, 1 ETMP1, 2 ETMP2) show stored channel k (0 ETMP1, 1 ETMP2,
// 2 ITMP); the STTMPAD low digit of box j converts that channel alone.
constexpr int tempChannelOfBox(int box) { return (box + 2) % 3; }
std::string tempSelectDigitFor(int box);

}  // namespace zmx
