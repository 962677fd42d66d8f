// Reply parsing and decoding of every read on any bytes of any length.

#include <cstdint>
#include <string>

#include "link/ReplyParsers.h"
#include "shell/StackState.h"

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
    for (int variant = 0; variant < 6; ++variant) {
        zmx::ParseRdcvReply(st, variant);
        zmx::CalcRdcvPec(st, variant);
    }
    return 0;
}
