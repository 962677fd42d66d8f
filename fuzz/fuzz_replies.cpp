// Reply parsing and decoding of every read on any bytes of any length.

#include <cstdint>
#include <string>

#include "model/StackState.h"
#include "protocol/ReadDecode.h"
#include "protocol/ReplyParsers.h"
#include "rules/ReadConfigLogic.h"
#include "rules/ReadVerdicts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    zmx::StackState st;
    const std::string reply(reinterpret_cast<const char*>(data), size);
    // The served slot comes from the input too, inside the stack's range.
    st.selectedBoard = static_cast<int16_t>(size % 10);
    st.continuousRunning = static_cast<int16_t>(size % 2);
    st.scanBoard = static_cast<int16_t>((size / 2) % 10);
    st.rxConfig = st.rxFlags = st.rxTemps = st.rxCells = reply;
    zmx::ParseRdcfgReply(st);
    zmx::PEC_GUI_RDCFG_Calc_7730addr(st);
    zmx::ParseRdflgReply(st);
    zmx::CalcRdflgPec(st);
    zmx::ParseRdtmpReply(st);
    zmx::CalcRdtmpPec(st);
    const int slot = zmx::servedBoard(st);
    zmx::storeReadback(st, st.selectedBoard);
    zmx::storeFlagTexts(st, slot);
    zmx::decodeTempReply(st, slot);
    zmx::updateThermalFlag(st, slot, zmx::thermalBitOf(reply), st.rdtmpRxPec[slot] == st.rdtmpCalcPec[slot]);
    zmx::applyTempReadVerdict(st, slot, st.rdtmpRxPec[slot] == st.rdtmpCalcPec[slot]);
    for (int variant = 0; variant < 6; ++variant) {
        zmx::ParseRdcvReply(st, variant);
        zmx::CalcRdcvPec(st, variant);
        zmx::decodeCellReply(st, slot, variant);
        zmx::applyCellReadVerdict(st, slot,
                                  zmx::rdcvRxPecOf(st, variant, slot) == zmx::rdcvCalcPecOf(st, variant, slot));
    }
    // Every stored value stays on the code scale of a 12-bit code.
    for (float v : st.cellVolts)
        if (v < -0.769f || v > 5.375f) __builtin_trap();
    return 0;
}
