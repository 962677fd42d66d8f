#pragma once
// Small rules of the configuration bit controls: CDC stepping with wrap-around and the
// ten-cell bit of a CFGR0 text.

#include <string>

namespace zmx {

// One CDC step: down from 0 gives 7, up from 7 gives 0.
int stepCdc(int cdc, int delta);

// CFGR0 text with bit 3 (10CELLS) set or cleared, as two upper-case hex digits.
std::string withTenCellBit(const std::string& cfgr0, bool tenCells);

// Name of the widget property that marks a control hidden by ten-cell mode (cells 11 and 12).
inline constexpr const char* kHiddenByTenCellsProperty = "zmxHiddenByTenCells";

}  // namespace zmx
