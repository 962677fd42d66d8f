#include "session/BoardReadOf.h"

#include "protocol/ChipCommands.h"
#include "protocol/Pec.h"
#include "protocol/ReadDecode.h"
#include "protocol/ReplyParsers.h"
#include "rules/CellStatus.h"

namespace zmx {

namespace {

// A 12-bit code from its stored text ("5A3"); a text that is not hex reads 0.
int codeOf(const std::string& text) {
    int v = 0;
    for (char c : text) {
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        if (d < 0) return 0;
        v = v * 16 + d;
    }
    return v & 0xFFF;
}

// Request, reply, data bytes and PECs of a read of the command.
BoardRead baseRead(const StackState& st, int slot, ReadKind kind, const ChipCommand& cmd, const std::string& request,
                   const std::string& reply) {
    BoardRead r;
    r.slot = slot;
    r.address = st.boardAddressHex[slot];
    r.kind = kind;
    r.command = std::string(cmd.name);
    r.request = request;
    r.reply = reply;
    r.data.assign(static_cast<std::size_t>(cmd.dataBytes), 0);
    r.rxPec = parseReadReply(reply, r.data);
    r.calcPec = pecOf(r.data);
    r.pecMatch = r.rxPec == r.calcPec;
    return r;
}

}  // namespace

BoardRead configReadOf(const StackState& st, int slot) {
    BoardRead r = baseRead(st, slot, ReadKind::Config, chipCommand(ChipCommandId::RDCFG), st.txConfig, st.rxConfig);
    for (int k = 0; k < 6; ++k) r.config[k] = r.data[k];
    return r;
}

BoardRead cellReadOf(const StackState& st, int slot, int selector) {
    const CellReadVariant& v = cellReadVariant(selector);
    BoardRead r = baseRead(st, slot, ReadKind::Cells, v.cmd(), st.txCommand, st.rxCells);
    r.firstCell = v.firstCell;
    r.cellCount = v.cellCount;
    for (int n = 1; n <= kCellsPerBoard; ++n) {
        r.cellCodes[n - 1] = codeOf(st.cellCodeHex[cellValueIndex(slot, n)]);
        r.cellVolts[n - 1] = st.cellVolts[cellValueIndex(slot, n)];
    }
    return r;
}

BoardRead flagReadOf(const StackState& st, int slot) {
    BoardRead r = baseRead(st, slot, ReadKind::Flags, chipCommand(ChipCommandId::RDFLG), st.txFlags, st.rxFlags);
    for (int k = 0; k < 3; ++k) r.flags[k] = r.data[k];
    return r;
}

BoardRead tempReadOf(const StackState& st, int slot) {
    BoardRead r = baseRead(st, slot, ReadKind::Temps, chipCommand(ChipCommandId::RDTMP), st.txTemp, st.rxTemps);
    for (int k = 0; k < 3; ++k) {
        r.tempCodes[k] = codeOf(st.cellCodeHex[tempValueIndex(slot, k)]);
        r.tempVolts[k] = st.cellVolts[tempValueIndex(slot, k)];
    }
    r.thermalBit = thermalBitOf(st.rxTemps);
    return r;
}

std::array<int16_t, 12> cellStatusOf(const StackState& st, int slot) {
    std::array<int16_t, 12> codes{};
    for (int i = 0; i < kCellsPerBoard; ++i) codes[i] = st.cellStatus[statusIndex(slot, i)];
    return codes;
}

}  // namespace zmx
