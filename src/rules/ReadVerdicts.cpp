#include "rules/ReadVerdicts.h"

namespace zmx {

namespace {

// The lamp part shared by the three reads; returns whether the slot's state may change
// (false for a mismatch hidden by "PEC Match Only").
bool baseVerdict(StackState& st, int slot, bool pecMatch) {
    if (pecMatch) st.readStatus[slot] = LampState::PecMatch;
    else if (st.showValidOnly == 0) st.readStatus[slot] = LampState::PecMismatch;
    else return false;
    return true;
}

void finishLamp(StackState& st, int slot, bool pecMatch) {
    if (pecMatch && st.measureMode[slot] == 0) st.readStatus[slot] = LampState::NoData;
    if (st.thsdLatched[slot] == 1) st.readStatus[slot] = LampState::ThermalShutdown;
}

}  // namespace

void applyCellReadVerdict(StackState& st, int slot, bool pecMatch) {
    if (baseVerdict(st, slot, pecMatch)) {
        st.rdcvGood[slot] = pecMatch ? 1 : 0;
        st.rdflgGood[slot] = 0;
    }
    finishLamp(st, slot, pecMatch);
}

void applyFlagReadVerdict(StackState& st, int slot, bool pecMatch) {
    if (baseVerdict(st, slot, pecMatch)) {
        st.rdflgGood[slot] = pecMatch ? 1 : 0;
        st.rdcvGood[slot] = 0;
    }
    finishLamp(st, slot, pecMatch);
}

void applyTempReadVerdict(StackState& st, int slot, bool pecMatch) {
    if (baseVerdict(st, slot, pecMatch)) st.rdtmpGood[slot] = pecMatch ? 1 : 0;
    if (st.measureMode[slot] == 0) st.rdtmpGood[slot] = 0;
    finishLamp(st, slot, pecMatch);
}

void updateThermalFlag(StackState& st, int slot, int thermalBit, bool pecMatch) {
    if (pecMatch) st.thsdFlag[slot] = thermalBit != 0 ? 1 : 0;
}

}  // namespace zmx
