#pragma once
// The self-test patterns: a conversion whose low digit is E, F or D makes every result
// read 0x555, 0xAAA or 0xFFF. This header maps the pattern options to that digit, to the
// texts a passing result shows in the hex views, and to the tool tips of the start buttons.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zmx {

inline constexpr int kPatternOptions = 3;  // Option2(0..2): 0x555, 0xAAA, 0xFFF

// Self-test digit of a pattern option ("E", "F", "D"); option outside 0..2 gives "E".
std::string_view selfTestDigitForOption(int option);

// Hex-view texts a passing cell / temperature result shows for a self-test digit:
// "0x555 " and " 0x555 " for "E"; nothing for a digit that is not a pattern.
std::optional<std::string_view> expectedCellText(std::string_view digit);
std::optional<std::string_view> expectedTempText(std::string_view digit);

// The start buttons of the self-test frame that carry a pattern tool tip, in the order
// of the tips returned below: CELL VOLT, OPEN WIRE, ALL TEMP, CELL DCC, OPEN DCC.
inline constexpr std::array<int, 5> kSelfTestStartButtons{0, 1, 2, 5, 6};

// The five tool tips for a pattern option, e.g. "0x1E STCVAD SELF TEST1 ALL".
std::array<std::string, 5> selfTestToolTips(int option);

// Cell conversion kind (0 STCVAD, 1 STOWAD, 2 STCVDC, 3 STOWDC) started by a self-test
// button, or -1 for a button that is not a cell conversion start.
constexpr int selfTestCellKind(int button) {
    switch (button) {
        case 0: return 0;
        case 1: return 1;
        case 5: return 2;
        case 6: return 3;
        default: return -1;
    }
}

}  // namespace zmx
