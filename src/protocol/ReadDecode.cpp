#include "protocol/ReadDecode.h"

#include <algorithm>

#include "protocol/Hex.h"

namespace zmx {

namespace {

// The byte row and PEC fields a cell-read variant fills for a slot; the rows are sized
// for their own variants only, so the selector is brought into range first.
struct CellRowRef {
    uint8_t* bytes;
    std::size_t size;
    uint8_t* rxPec;
    uint8_t* calcPec;
};

template <std::size_t N>
CellRowRef rowOf(std::array<uint8_t, N>& row, uint8_t& rxPec, uint8_t& calcPec) {
    return {row.data(), N, &rxPec, &calcPec};
}

CellRowRef cellRow(StackState& st, int selector, int s) {
    switch (cellSelectorInRange(selector)) {
        case 0:
        case 1: return rowOf(st.rdcvRxByte[s], st.rdcvRxPec[s], st.rdcvCalcPec[s]);
        case 2: return rowOf(st.rdcvaRxByte[s], st.rdcvaRxPec[s], st.rdcvaCalcPec[s]);
        case 3: return rowOf(st.rdcvbRxByte[s], st.rdcvbRxPec[s], st.rdcvbCalcPec[s]);
        default: return rowOf(st.rdcvcRxByte[s], st.rdcvcRxPec[s], st.rdcvcCalcPec[s]);
    }
}

// The data bytes into the front of the row (the rest keeps what it held) and both PECs.
void storeBytes(CellRowRef row, const ParsedReply& p) {
    std::copy_n(p.data.begin(), std::min(p.data.size(), row.size), row.bytes);
    *row.rxPec = p.rxPec;
    *row.calcPec = p.calcPec;
}

template <std::size_t N>
void storeBytes(std::array<uint8_t, N>& row, uint8_t& rxPec, uint8_t& calcPec, const ParsedReply& p) {
    storeBytes(rowOf(row, rxPec, calcPec), p);
}

}  // namespace

void storeConfigRead(StackState& st, int slot, const ParsedReply& p) {
    storeBytes(st.rdcfgRxByte[slot], st.rdcfgRxPec[slot], st.rdcfgCalcPec[slot], p);
}

void storeCellRead(StackState& st, int slot, int selector, const ParsedReply& p) {
    storeBytes(cellRow(st, selector, slot), p);
    for (std::size_t i = 0; i < p.codes.size(); ++i) {
        const int index = cellValueIndex(slot, p.firstCell + static_cast<int>(i));
        st.cellCodeHex[index] = p.codes[i].text;
        st.cellVolts[index] = codeToVolts(p.codes[i].code);
    }
}

void storeFlagRead(StackState& st, int slot, const ParsedReply& p) {
    storeBytes(st.rdflgRxByte[slot], st.rdflgRxPec[slot], st.rdflgCalcPec[slot], p);
    for (int k = 0; k < 3; ++k) st.flgrText[slot][k] = byteText(p.data[static_cast<std::size_t>(k)]);
}

void storeTempRead(StackState& st, int slot, const ParsedReply& p) {
    storeBytes(st.rdtmpRxByte[slot], st.rdtmpRxPec[slot], st.rdtmpCalcPec[slot], p);
    for (int k = 0; k < 3; ++k) {
        const ReplyCode& c = p.codes[static_cast<std::size_t>(k)];
        st.cellCodeHex[tempValueIndex(slot, k)] = c.text;
        st.cellVolts[tempValueIndex(slot, k)] = codeToVolts(c.code);
    }
}

}  // namespace zmx
