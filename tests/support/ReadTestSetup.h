#pragma once
// Set-up shared by the read tests: putting simulated boards into measure mode and
// starting conversions without going through the command panel.

#include <QColor>
#include <array>
#include <string>

#include "protocol/Frames.h"
#include "support/TestSupport.h"

namespace zmx::test {

// The lamp colours the window paints.
const QColor kGreenLamp(0, 255, 0), kRedLamp(255, 0, 0), kWhiteLamp(255, 255, 255), kOrangeLamp(255, 128, 0),
    kYellowLamp(255, 255, 0);

// Writes cfg to the board of slot (addressed), records it as written and reads it back,
// so the slot's measureMode follows the CDC bits of CFGR0.
inline void configureBoard(WindowFixture& f, int slot, const std::array<std::string, 6>& cfg) {
    StackState& st = f.form->st;
    f.form->link().SendOnly(buildWrcfgFrame(st.boardAddressHex[slot], cfg, false));
    st.cfgWritten[slot] = cfg;
    const int16_t selected = st.selectedBoard;
    st.selectedBoard = int16_t(slot);
    f.form->ReadConfig();
    st.selectedBoard = selected;
}

inline void measureMode(WindowFixture& f, int slot) { configureBoard(f, slot, {"E1", "00", "00", "00", "00", "00"}); }

// Broadcast conversion starts: cells (STCVAD) and temperatures (STTMPAD).
inline void convertCells(WindowFixture& f) { f.form->link().SendOnly(buildStartFrame("80", "10", true)); }
inline void convertTemps(WindowFixture& f) { f.form->link().SendOnly(buildStartFrame("80", "30", true)); }

}  // namespace zmx::test
