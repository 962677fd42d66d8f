#include "rules/ReadConfigLogic.h"

#include "protocol/ChipCommands.h"
#include "protocol/Hex.h"

namespace zmx {

std::string rdcfgFrame(const StackState& st, int slot) {
    return readFrameOf(chipCommand(ChipCommandId::RDCFG), st.boardAddressHex[slot]);
}

void applyLampVerdict(StackState& st, int slot, bool pecMatch) {
    if (pecMatch) st.readStatus[slot] = LampState::PecMatch;
    else if (st.showValidOnly == 0) st.readStatus[slot] = LampState::PecMismatch;
    if (st.thsdLatched[slot] == 1) st.readStatus[slot] = LampState::ThermalShutdown;
}

void storeReadback(StackState& st, int slot, std::span<const uint8_t> bytes) {
    for (std::size_t k = 0; k < 6; ++k) st.cfgReadback[slot][k] = byteText(k < bytes.size() ? bytes[k] : 0);
    st.measureMode[slot] = (textToByte(st.cfgReadback[slot][0]) & 0x07) != 0 ? 1 : 0;
    st.cfgViewIsReadback = 1;
}

bool readbackDiffers(const StackState& st, int slot, int k) {
    return hexTextValue(st.cfgImage[slot][k]) != hexTextValue(st.cfgReadback[slot][k]);
}

}  // namespace zmx
