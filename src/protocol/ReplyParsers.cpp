#include "protocol/ReplyParsers.h"

#include <algorithm>
#include <array>

#include "protocol/Hex.h"
#include "protocol/Pec.h"

namespace zmx {

namespace {

constexpr CellReadVariant kCellReads[] = {
    {ChipCommandId::RDCV, 1, 12}, {ChipCommandId::RDCV10, 1, 10}, {ChipCommandId::RDCVA, 1, 4},
    {ChipCommandId::RDCVB, 5, 4}, {ChipCommandId::RDCVC, 9, 4},   {ChipCommandId::RDCVC10, 9, 2},
};

// Data bytes and both PECs of a reply to the command.
ParsedReply cutReply(std::string_view reply, const ChipCommand& cmd) {
    ParsedReply p;
    p.command = &cmd;
    p.data.assign(static_cast<std::size_t>(cmd.dataBytes), 0);
    p.rxPec = parseReadReply(reply, p.data);
    p.calcPec = pecOf(p.data);
    return p;
}

}  // namespace

int cellSelectorInRange(int selector) { return selector < 0 || selector > 5 ? 0 : selector; }

const CellReadVariant& cellReadVariant(int selector) { return kCellReads[cellSelectorInRange(selector)]; }

uint8_t parseReadReply(std::string_view reply, std::span<uint8_t> out) {
    for (std::size_t k = 0; k < out.size(); ++k) out[k] = replyByteAt(reply, 9 + 2 * k);
    return replyByteAt(reply, 9 + 2 * out.size());
}

std::string codeText(std::string_view reply, std::array<std::size_t, 3> positions, int code) {
    std::string text;
    const bool arrived = *std::max_element(positions.begin(), positions.end()) <= reply.size();
    for (int d = 0; d < 3; ++d) {
        text += arrived ? reply[positions[static_cast<std::size_t>(d)] - 1] : hexDigit(code >> (4 * (2 - d)));
    }
    return text;
}

ParsedReply parseConfigReply(std::string_view reply) { return cutReply(reply, chipCommand(ChipCommandId::RDCFG)); }

ParsedReply parseCellReply(std::string_view reply, int selector) {
    const CellReadVariant& v = cellReadVariant(selector);
    ParsedReply p = cutReply(reply, v.cmd());
    p.firstCell = v.firstCell;
    for (std::size_t j = 0; j < p.data.size() / 3; ++j) {
        // Pair j packs two codes into bytes 3j..3j+2: b0 and the low nibble of b1 form the
        // first cell, the high nibble of b1 and b2 the second.
        const int b0 = p.data[3 * j];
        const int b1 = p.data[3 * j + 1];
        const int b2 = p.data[3 * j + 2];
        const std::size_t pos = 12 + 6 * j;  // low digit of b1
        const int lowCode = (b1 & 0x0F) * 256 + b0;
        const int highCode = b2 * 16 + (b1 >> 4);
        p.codes.push_back({lowCode, codeText(reply, {pos, pos - 3, pos - 2}, lowCode)});
        p.codes.push_back({highCode, codeText(reply, {pos + 1, pos + 2, pos - 1}, highCode)});
    }
    return p;
}

ParsedReply parseFlagReply(std::string_view reply) { return cutReply(reply, chipCommand(ChipCommandId::RDFLG)); }

ParsedReply parseTempReply(std::string_view reply) {
    ParsedReply p = cutReply(reply, chipCommand(ChipCommandId::RDTMP));
    const std::array<int, 5> t{p.data[0], p.data[1], p.data[2], p.data[3], p.data[4]};
    const int etmp1 = (t[1] & 0x0F) * 256 + t[0];
    const int etmp2 = t[2] * 16 + (t[1] >> 4);
    const int itmp = (t[4] & 0x0F) * 256 + t[3];
    p.codes.push_back({etmp1, codeText(reply, {12, 9, 10}, etmp1)});   // low digit of T1, then T0
    p.codes.push_back({etmp2, codeText(reply, {13, 14, 11}, etmp2)});  // T2, then high digit of T1
    p.codes.push_back({itmp, codeText(reply, {18, 15, 16}, itmp)});    // low digit of T4, then T3
    p.thermalBit = thermalBitOf(reply);
    return p;
}

int thermalBitOf(std::string_view reply) { return static_cast<int>(hexTextValue(replyCharAt(reply, 17), 1) & 0x01); }

namespace {

// The PEC fields a cell-read variant fills for a slot.
struct CellPecRef {
    const uint8_t* rxPec;
    const uint8_t* calcPec;
};

CellPecRef cellPecs(const StackState& st, int variant, int s) {
    switch (cellSelectorInRange(variant)) {
        case 0:
        case 1: return {&st.rdcvRxPec[s], &st.rdcvCalcPec[s]};
        case 2: return {&st.rdcvaRxPec[s], &st.rdcvaCalcPec[s]};
        case 3: return {&st.rdcvbRxPec[s], &st.rdcvbCalcPec[s]};
        default: return {&st.rdcvcRxPec[s], &st.rdcvcCalcPec[s]};
    }
}

}  // namespace

uint8_t rdcvRxPecOf(const StackState& st, int variant, int slot) { return *cellPecs(st, variant, slot).rxPec; }

uint8_t rdcvCalcPecOf(const StackState& st, int variant, int slot) { return *cellPecs(st, variant, slot).calcPec; }

}  // namespace zmx
