#include "rules/ReadIndicatorLogic.h"

namespace zmx {

int16_t& indicatorStep(StackState& st, IndicatorKind kind) {
    switch (kind) {
        case IndicatorKind::Cell: return st.lastCellStep;
        case IndicatorKind::Temp: return st.lastTempStep;
        case IndicatorKind::Config: break;
    }
    return st.readbackPending;
}

PerSlot<int16_t>& indicatorPending(StackState& st, IndicatorKind kind) {
    switch (kind) {
        case IndicatorKind::Cell: return st.cellReadPending;
        case IndicatorKind::Temp: return st.tempReadPending;
        case IndicatorKind::Config: break;
    }
    return st.cfgReadPending;
}

bool indicatorArmsStack(const StackState& st, IndicatorKind kind) {
    const int s = st.selectedBoard;
    switch (kind) {
        case IndicatorKind::Cell:
            return st.bcastSTCVAD[s] == 1 || st.bcastSTOWAD[s] == 1 || st.bcastSTCVDC[s] == 1 || st.bcastSTOWDC[s] == 1;
        case IndicatorKind::Temp: return st.bcastSTTMPAD[s] == 1;
        case IndicatorKind::Config: break;
    }
    return st.bcastWRCFG[s] == 1;
}

void armIndicator(StackState& st, IndicatorKind kind) {
    PerSlot<int16_t>& pending = indicatorPending(st, kind);
    if (indicatorArmsStack(st, kind)) {
        for (int s = 0; s <= st.lastBoardIndex && s < kBoards; ++s) pending[s] = 1;
    } else {
        pending[st.selectedBoard] = 1;
    }
}

}  // namespace zmx
