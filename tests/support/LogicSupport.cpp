#include "support/LogicSupport.h"

#include <cmath>

namespace zmx::test {

StackState stackOf(int boards) {
    StackState st;
    st.lastBoardIndex = static_cast<int16_t>(boards - 1);
    for (int s = 0; s < kBoards; ++s) {
        st.boardAddressHex[s] = "8" + std::string(1, "0123456789"[s]);
        st.cfgImage[s] = {"E0", "00", "00", "00", "00", "00"};
        st.bcastWRCFG[s] = 1;
    }
    return st;
}

BoardRead twelveCellRead(int slot, int64_t utcMs, float base, bool pecMatch) {
    BoardRead r;
    r.slot = slot;
    r.utcMs = utcMs;
    r.kind = ReadKind::Cells;
    r.pecMatch = pecMatch;
    r.firstCell = 1;
    r.cellCount = 12;
    r.roundTripUs = 1000;
    for (int cell = 1; cell <= 12; ++cell) setCellVolts(r, cell, base + 0.01f * static_cast<float>(cell - 1));
    return r;
}

void setCellVolts(BoardRead& read, int cell, float volts) {
    read.cellVolts[cell - 1] = volts;
    read.cellCodes[cell - 1] = static_cast<int>(std::lround(volts / 0.0015f)) + 512;
}

}  // namespace zmx::test
