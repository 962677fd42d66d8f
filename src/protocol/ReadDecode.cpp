#include "protocol/ReadDecode.h"

#include <algorithm>

#include "protocol/Hex.h"
#include "protocol/ReplyParsers.h"

namespace zmx {

std::string codeText(std::string_view reply, std::array<std::size_t, 3> positions, int code) {
    std::string text;
    const bool arrived = *std::max_element(positions.begin(), positions.end()) <= reply.size();
    for (int d = 0; d < 3; ++d) {
        text += arrived ? reply[positions[static_cast<std::size_t>(d)] - 1] : hexDigit(code >> (4 * (2 - d)));
    }
    return text;
}

void decodeCellReply(StackState& st, int slot, int selector) {
    const CellReadVariant& v = cellReadVariant(selector);
    const std::string_view reply = st.rxCells;
    const int pairs = v.cmd().dataBytes / 3;
    for (int j = 0; j < pairs; ++j) {
        // Pair j packs two codes into bytes 3j..3j+2: b0 and the low nibble of b1 form the
        // first cell, the high nibble of b1 and b2 the second.
        const std::size_t first = 9 + 6 * static_cast<std::size_t>(j);
        const int b0 = replyByteAt(reply, first);
        const int b1 = replyByteAt(reply, first + 2);
        const int b2 = replyByteAt(reply, first + 4);
        const std::size_t p = 12 + 6 * static_cast<std::size_t>(j);
        const int n = v.firstCell + 2 * j;

        const int lowCode = (b1 & 0x0F) * 256 + b0;
        st.cellCodeHex[cellValueIndex(slot, n)] = codeText(reply, {p, p - 3, p - 2}, lowCode);
        st.cellVolts[cellValueIndex(slot, n)] = codeToVolts(lowCode);

        const int highCode = b2 * 16 + (b1 >> 4);
        st.cellCodeHex[cellValueIndex(slot, n + 1)] = codeText(reply, {p + 1, p + 2, p - 1}, highCode);
        st.cellVolts[cellValueIndex(slot, n + 1)] = codeToVolts(highCode);
    }
}

void decodeTempReply(StackState& st, int slot) {
    const std::string_view reply = st.rxTemps;
    int t[5];
    for (int k = 0; k < 5; ++k) t[k] = replyByteAt(reply, 9 + 2 * static_cast<std::size_t>(k));

    struct Channel {
        int code;
        std::array<std::size_t, 3> positions;
    };
    const Channel channels[3] = {
        {(t[1] & 0x0F) * 256 + t[0], {12, 9, 10}},   // ETMP1: low digit of T1, then T0
        {t[2] * 16 + (t[1] >> 4), {13, 14, 11}},     // ETMP2: T2, then high digit of T1
        {(t[4] & 0x0F) * 256 + t[3], {18, 15, 16}},  // ITMP: low digit of T4, then T3
    };
    for (int k = 0; k < 3; ++k) {
        st.cellCodeHex[tempValueIndex(slot, k)] = codeText(reply, channels[k].positions, channels[k].code);
        st.cellVolts[tempValueIndex(slot, k)] = codeToVolts(channels[k].code);
    }
}

int thermalBitOf(std::string_view reply) { return static_cast<int>(hexTextValue(replyCharAt(reply, 17), 1) & 0x01); }

void storeFlagTexts(StackState& st, int slot) {
    for (int k = 0; k < 3; ++k)
        st.flgrText[slot][k] = byteText(replyByteAt(st.rxFlags, 9 + 2 * static_cast<std::size_t>(k)));
}

}  // namespace zmx
