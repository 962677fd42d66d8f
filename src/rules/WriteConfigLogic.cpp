#include "rules/WriteConfigLogic.h"

#include <array>

#include "protocol/Frames.h"
#include "protocol/Hex.h"
#include "protocol/Pec.h"

namespace zmx {

std::string PecOfConfig(const StackState& st, int slot) {
    std::array<uint8_t, 6> bytes{};
    for (std::size_t k = 0; k < 6; ++k) bytes[k] = textToByte(st.cfgImage[static_cast<std::size_t>(slot)][k]);
    return byteText(pecOf(bytes));
}

std::string wrcfgFrame(const StackState& st, int slot) {
    return wrcfgFrame(st, slot, st.bcastWRCFG[static_cast<std::size_t>(slot)] == 1);
}

std::string wrcfgFrame(const StackState& st, int slot, bool broadcast) {
    const auto s = static_cast<std::size_t>(slot);
    return buildWrcfgFrame(st.boardAddressHex[s], st.cfgImage[s], broadcast);
}

void recordWrite(StackState& st) {
    recordWrite(st, st.selectedBoard, st.bcastWRCFG[static_cast<std::size_t>(st.selectedBoard)] == 1);
}

void recordWrite(StackState& st, int s, bool broadcast) {
    if (broadcast) {
        for (int i = 0; i <= st.lastBoardIndex; ++i)
            st.cfgWritten[static_cast<std::size_t>(i)] = st.cfgImage[static_cast<std::size_t>(i)];
    } else {
        st.cfgWritten[static_cast<std::size_t>(s)] = st.cfgImage[static_cast<std::size_t>(s)];
    }
    st.tenCellMode = (textToByte(st.cfgWritten[static_cast<std::size_t>(s)][0]) & 0x08) ? 1 : 0;
}

}  // namespace zmx
