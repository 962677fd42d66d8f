#include "support/LogicSupport.h"

namespace zmx::test {

StackState stackOf(int boards) {
    StackState st;
    st.lastBoardIndex = static_cast<int16_t>(boards - 1);
    for (int s = 0; s < kBoards; ++s) {
        st.boardAddressHex[s] = "8" + std::string(1, "0123456789"[s]);
        st.cfgImage[s] = {"E0", "00", "00", "00", "00", "00"};
        st.bcastWRCFG[s] = 1;
    }
    return st;
}

}  // namespace zmx::test
