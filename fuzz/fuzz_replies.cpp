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
    const zmx::ParsedReply config = zmx::parseConfigReply(reply);
    const zmx::ParsedReply flags = zmx::parseFlagReply(reply);
    const zmx::ParsedReply temps = zmx::parseTempReply(reply);
    const int slot = zmx::servedBoard(st);
    zmx::storeConfigRead(st, st.selectedBoard, config);
    zmx::storeReadback(st, st.selectedBoard, config.data);
    zmx::storeFlagRead(st, slot, flags);
    zmx::storeTempRead(st, slot, temps);
    zmx::updateThermalFlag(st, slot, temps.thermalBit, temps.pecMatch());
    zmx::applyTempReadVerdict(st, slot, temps.pecMatch());
    // Every selector, the out-of-range ones included.
    for (int variant = -1; variant < 8; ++variant) {
        const zmx::ParsedReply cells = zmx::parseCellReply(reply, variant);
        zmx::storeCellRead(st, slot, variant, cells);
        zmx::applyCellReadVerdict(st, slot, cells.pecMatch());
        if (zmx::rdcvRxPecOf(st, variant, slot) != cells.rxPec) __builtin_trap();
    }
    // Every stored value stays on the code scale of a 12-bit code.
    for (float v : st.cellVolts)
        if (v < -0.769f || v > 5.375f) __builtin_trap();
    return 0;
}
