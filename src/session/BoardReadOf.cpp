#include "session/BoardReadOf.h"

#include "protocol/Hex.h"
#include "protocol/ReadDecode.h"
#include "rules/CellStatus.h"

namespace zmx {

namespace {

// The code a code text shows. A text with a character that is not hex reads 0, so for such
// a reply the code and the volts (made from the bytes) can disagree; the recording keeps
// those volts as they were.
int shownCode(const std::string& text) { return static_cast<int>(wholeHexValue(text) & 0xFFF); }

// Request, reply, data bytes and PECs of a read.
BoardRead baseRead(const StackState& st, int slot, ReadKind kind, const ParsedReply& p, const std::string& request,
                   const std::string& reply) {
    BoardRead r;
    r.slot = slot;
    r.address = st.boardAddressHex[slot];
    r.kind = kind;
    r.command = std::string(p.command->name);
    r.request = request;
    r.reply = reply;
    r.data = p.data;
    r.rxPec = p.rxPec;
    r.calcPec = p.calcPec;
    r.pecMatch = p.pecMatch();
    return r;
}

}  // namespace

BoardRead configReadOf(const StackState& st, int slot, const ParsedReply& p) {
    BoardRead r = baseRead(st, slot, ReadKind::Config, p, st.txConfig, st.rxConfig);
    for (int k = 0; k < 6; ++k) r.config[k] = r.data[k];
    return r;
}

BoardRead cellReadOf(const StackState& st, int slot, const ParsedReply& p) {
    BoardRead r = baseRead(st, slot, ReadKind::Cells, p, st.txCommand, st.rxCells);
    r.firstCell = p.firstCell;
    r.cellCount = static_cast<int>(p.codes.size());
    for (int n = 1; n <= kCellsPerBoard; ++n) {
        r.cellCodes[n - 1] = shownCode(st.cellCodeHex[cellValueIndex(slot, n)]);
        r.cellVolts[n - 1] = st.cellVolts[cellValueIndex(slot, n)];
    }
    for (std::size_t i = 0; i < p.codes.size(); ++i) {
        const std::size_t n = static_cast<std::size_t>(p.firstCell - 1) + i;
        r.cellCodes[n] = shownCode(p.codes[i].text);
        r.cellVolts[n] = codeToVolts(p.codes[i].code);
    }
    return r;
}

BoardRead flagReadOf(const StackState& st, int slot, const ParsedReply& p) {
    BoardRead r = baseRead(st, slot, ReadKind::Flags, p, st.txFlags, st.rxFlags);
    for (int k = 0; k < 3; ++k) r.flags[k] = r.data[k];
    return r;
}

BoardRead tempReadOf(const StackState& st, int slot, const ParsedReply& p) {
    BoardRead r = baseRead(st, slot, ReadKind::Temps, p, st.txTemp, st.rxTemps);
    for (std::size_t k = 0; k < 3; ++k) {
        r.tempCodes[k] = shownCode(p.codes[k].text);
        r.tempVolts[k] = codeToVolts(p.codes[k].code);
    }
    r.thermalBit = p.thermalBit;
    return r;
}

std::array<int16_t, 12> cellStatusOf(const StackState& st, int slot) {
    std::array<int16_t, 12> codes{};
    for (int i = 0; i < kCellsPerBoard; ++i) codes[i] = st.cellStatus[statusIndex(slot, i)];
    return codes;
}

}  // namespace zmx
