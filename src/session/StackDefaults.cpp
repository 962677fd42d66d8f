#include "session/StackDefaults.h"

#include "protocol/BoardAddress.h"

namespace zmx {

void setDefaultAddressing(StackState& st) {
    for (int s = 0; s < kBoards; ++s) {
        st.boardAddressHex[s] = defaultBoardAddress(s);
        st.bcastPLADC[s] = st.bcastPLINT[s] = st.bcastSTCVAD[s] = st.bcastSTOWAD[s] = 0;
        st.bcastSTTMPAD[s] = st.bcastSTCVDC[s] = st.bcastSTOWDC[s] = 0;
        st.bcastWRCFG[s] = 1;
    }
}

void clearReceivedData(StackState& st) {
    for (int s = 0; s < kSlots; ++s) {
        st.rdcfgRxByte[s] = {};
        st.rdcvRxByte[s] = {};
        st.rdcvaRxByte[s] = st.rdcvbRxByte[s] = st.rdcvcRxByte[s] = {};
        st.rdflgRxByte[s] = {};
        st.rdtmpRxByte[s] = {};
        st.rdcfgRxPec[s] = st.rdcfgCalcPec[s] = 0;
        st.rdcvRxPec[s] = st.rdcvaRxPec[s] = st.rdcvbRxPec[s] = st.rdcvcRxPec[s] = 0;
        st.rdcvCalcPec[s] = st.rdcvaCalcPec[s] = st.rdcvbCalcPec[s] = st.rdcvcCalcPec[s] = 0;
        st.rdflgRxPec[s] = st.rdflgCalcPec[s] = 0;
        st.rdtmpRxPec[s] = st.rdtmpCalcPec[s] = 0;
        st.cellDcc[s] = {};
        st.cellMask[s] = {};
        st.flagStatusHeld[s] = 0;
    }
    st.cellStatus = {};
}

}  // namespace zmx
