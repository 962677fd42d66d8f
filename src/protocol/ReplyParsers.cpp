#include "protocol/ReplyParsers.h"

#include "protocol/Hex.h"
#include "protocol/Pec.h"

namespace zmx {

namespace {

constexpr CellReadVariant kCellReads[] = {
    {ChipCommandId::RDCV, 1, 12}, {ChipCommandId::RDCV10, 1, 10}, {ChipCommandId::RDCVA, 1, 4},
    {ChipCommandId::RDCVB, 5, 4}, {ChipCommandId::RDCVC, 9, 4},   {ChipCommandId::RDCVC10, 9, 2},
};

template <std::size_t N>
std::span<uint8_t> firstN(std::array<uint8_t, N>& row, int n) {
    return std::span<uint8_t>(row.data(), static_cast<std::size_t>(n));
}

// The byte row and PEC fields a cell-read variant fills for a slot.
struct CellRowRef {
    uint8_t* bytes;
    uint8_t* rxPec;
    uint8_t* calcPec;
};

CellRowRef cellRow(StackState& st, int variant, int s) {
    switch (variant) {
        case 0:
        case 1: return {st.rdcvRxByte[s].data(), &st.rdcvRxPec[s], &st.rdcvCalcPec[s]};
        case 2: return {st.rdcvaRxByte[s].data(), &st.rdcvaRxPec[s], &st.rdcvaCalcPec[s]};
        case 3: return {st.rdcvbRxByte[s].data(), &st.rdcvbRxPec[s], &st.rdcvbCalcPec[s]};
        default: return {st.rdcvcRxByte[s].data(), &st.rdcvcRxPec[s], &st.rdcvcCalcPec[s]};
    }
}

}  // namespace

const CellReadVariant& cellReadVariant(int selector) {
    if (selector < 0 || selector > 5) selector = 0;
    return kCellReads[selector];
}

uint8_t parseReadReply(std::string_view reply, std::span<uint8_t> out) {
    for (std::size_t k = 0; k < out.size(); ++k) out[k] = replyByteAt(reply, 9 + 2 * k);
    return replyByteAt(reply, 9 + 2 * out.size());
}

void ParseRdcfgReply(StackState& st) { ParseRdcfgReply(st, st.selectedBoard); }

int PEC_GUI_RDCFG_Calc_7730addr(StackState& st) {
    PEC_GUI_RDCFG_Calc_7730addr(st, st.selectedBoard);
    return 0;
}

void ParseRdflgReply(StackState& st) { ParseRdflgReply(st, servedBoard(st)); }
void CalcRdflgPec(StackState& st) { CalcRdflgPec(st, servedBoard(st)); }
void ParseRdtmpReply(StackState& st) { ParseRdtmpReply(st, servedBoard(st)); }
void CalcRdtmpPec(StackState& st) { CalcRdtmpPec(st, servedBoard(st)); }
void ParseRdcvReply(StackState& st, int variant) { ParseRdcvReply(st, variant, servedBoard(st)); }
void CalcRdcvPec(StackState& st, int variant) { CalcRdcvPec(st, variant, servedBoard(st)); }

void ParseRdcfgReply(StackState& st, int s) {
    st.rdcfgRxPec[s] =
        parseReadReply(st.rxConfig, firstN(st.rdcfgRxByte[s], chipCommand(ChipCommandId::RDCFG).dataBytes));
}

void PEC_GUI_RDCFG_Calc_7730addr(StackState& st, int s) {
    st.rdcfgCalcPec[s] = pecOf(firstN(st.rdcfgRxByte[s], chipCommand(ChipCommandId::RDCFG).dataBytes));
}

void ParseRdflgReply(StackState& st, int s) {
    st.rdflgRxPec[s] =
        parseReadReply(st.rxFlags, firstN(st.rdflgRxByte[s], chipCommand(ChipCommandId::RDFLG).dataBytes));
}

void CalcRdflgPec(StackState& st, int s) {
    st.rdflgCalcPec[s] = pecOf(firstN(st.rdflgRxByte[s], chipCommand(ChipCommandId::RDFLG).dataBytes));
}

void ParseRdtmpReply(StackState& st, int s) {
    st.rdtmpRxPec[s] =
        parseReadReply(st.rxTemps, firstN(st.rdtmpRxByte[s], chipCommand(ChipCommandId::RDTMP).dataBytes));
}

void CalcRdtmpPec(StackState& st, int s) {
    st.rdtmpCalcPec[s] = pecOf(firstN(st.rdtmpRxByte[s], chipCommand(ChipCommandId::RDTMP).dataBytes));
}

void ParseRdcvReply(StackState& st, int variant, int slot) {
    const int n = cellReadVariant(variant).cmd().dataBytes;
    CellRowRef row = cellRow(st, variant, slot);
    *row.rxPec = parseReadReply(st.rxCells, std::span<uint8_t>(row.bytes, static_cast<std::size_t>(n)));
}

void CalcRdcvPec(StackState& st, int variant, int slot) {
    const int n = cellReadVariant(variant).cmd().dataBytes;
    CellRowRef row = cellRow(st, variant, slot);
    *row.calcPec = pecOf(std::span<const uint8_t>(row.bytes, static_cast<std::size_t>(n)));
}

uint8_t rdcvRxPecOf(const StackState& st, int variant, int slot) {
    return *cellRow(const_cast<StackState&>(st), variant, slot).rxPec;
}

uint8_t rdcvCalcPecOf(const StackState& st, int variant, int slot) {
    return *cellRow(const_cast<StackState&>(st), variant, slot).calcPec;
}

}  // namespace zmx
