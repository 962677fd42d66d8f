#include "rules/CellStatus.h"

#include "protocol/Hex.h"

namespace zmx {

namespace {

bool bitSet(const StackState& st, int slot, CfgBit where) {
    return (hexTextValue(st.cfgWritten[slot][where.byte], 2) >> where.bit) & 0x01;
}

// Code 7 is a property of the board rather than of a reading: it survives the
// re-evaluations and resets that follow reads and conversion starts while it lasts.
int16_t keepThermal(const StackState& st, int slot, int16_t code) {
    return boardInThermalShutdown(st, slot) ? int16_t{kStatusThermal} : code;
}

}  // namespace

bool boardInThermalShutdown(const StackState& st, int slot) {
    return st.thsdLatched[slot] == 1 && st.thsdFlag[slot] == 1;
}

void evaluateCellStatus(StackState& st, int slot) {
    for (int i = 0; i < kCellsPerBoard; ++i) {
        const bool dcc = bitSet(st, slot, dischargeBitOf(i));
        const bool mask = bitSet(st, slot, maskBitOf(i));
        st.cellDcc[slot][i] = dcc ? -1 : 0;
        st.cellMask[slot][i] = mask ? -1 : 0;

        int16_t code = kStatusClear;
        if (mask && dcc) code = kStatusMaskedDischarge;
        else if (dcc) code = kStatusDischarge;
        else if (mask) code = kStatusMasked;

        if (st.measureMode[slot] == 1) {
            if (code == kStatusClear && st.rdcvGood[slot] == 1) code = kStatusGood;
        } else {
            code = kStatusClear;
        }
        st.cellStatus[statusIndex(slot, i)] = keepThermal(st, slot, code);
    }
}

int16_t statusAfterFlags(int16_t code, bool underVoltage, bool overVoltage) {
    if (code == kStatusUnderVoltage || code == kStatusOverVoltage) code = kStatusClear;
    if (code != kStatusClear && code != kStatusGood) return code;
    if (underVoltage) code = kStatusUnderVoltage;
    if (overVoltage) code = kStatusOverVoltage;
    return code;
}

void deriveFlagStatus(StackState& st, int slot) {
    if (st.measureMode[slot] != 1) return;
    for (int reg = 0; reg < 3; ++reg) {
        const uint8_t flags = textToByte(st.flgrText[slot][reg]);
        for (int j = 0; j < 4; ++j) {
            int16_t& code = st.cellStatus[statusIndex(slot, 4 * reg + j)];
            code = statusAfterFlags(code, (flags >> (2 * j)) & 0x01, (flags >> (2 * j + 1)) & 0x01);
        }
    }
}

void setBoardStatus(StackState& st, int slot, int16_t code) {
    for (int i = 0; i < kCellsPerBoard; ++i) st.cellStatus[statusIndex(slot, i)] = code;
}

void clearCellStatus(StackState& st, bool allBoards) {
    const int first = allBoards ? 0 : st.selectedBoard;
    const int last = allBoards ? st.lastBoardIndex : st.selectedBoard;
    for (int s = first; s <= last; ++s) setBoardStatus(st, s, keepThermal(st, s, kStatusClear));
}

std::array<int16_t, 12> cellStatusFrom(const BoardStatusFacts& facts) {
    std::array<int16_t, 12> codes{};
    const bool measuring = (facts.config[0] & 0x07) != 0;
    const auto bit = [&](CfgBit where) { return ((facts.config[where.byte] >> where.bit) & 0x01) != 0; };
    for (int i = 0; i < kCellsPerBoard; ++i) {
        int16_t code = kStatusClear;
        if (facts.thermal) {
            code = kStatusThermal;
        } else if (measuring) {
            const bool dcc = bit(dischargeBitOf(i));
            const bool mask = bit(maskBitOf(i));
            if (mask && dcc) code = kStatusMaskedDischarge;
            else if (dcc) code = kStatusDischarge;
            else if (mask) code = kStatusMasked;
            else if (facts.cellRead[i]) code = kStatusGood;
            if (facts.flags) {
                const uint8_t reg = (*facts.flags)[i / 4];
                const int j = i % 4;
                code = statusAfterFlags(code, (reg >> (2 * j)) & 0x01, (reg >> (2 * j + 1)) & 0x01);
            }
        }
        codes[i] = code;
    }
    return codes;
}

}  // namespace zmx
