#include "rules/ContinuousSequence.h"

namespace zmx {

void zeroStoredVoltages(StackState& st) {
    for (int s = 0; s <= st.lastBoardIndex && s < kBoards; ++s) {
        for (int n = 1; n <= kCellsPerBoard; ++n) st.cellVolts[s * kCellsPerBoard + n] = 0.0f;
        for (int k = 0; k < 3; ++k) st.cellVolts[121 + 3 * s + k] = 0.0f;
    }
}

void wrapDatalogSample(StackState& st) {
    if (st.datalogSample >= st.datalogTarget + 1) {
        st.datalogSample = 1;
        st.datalogDone = 1;
    }
}

}  // namespace zmx
