#include "rules/CommandPanel.h"

namespace zmx {

void resetImagesForStandby(StackState& st) {
    for (int s = 0; s <= st.lastBoardIndex && s < kBoards; ++s) {
        st.cfgImage[s][0] = "E0";
        st.cdcValue[s] = 0;
        for (int k = 1; k < 6; ++k) st.cfgImage[s][k] = "00";
        st.vuvCode[s] = 0;
        st.vovCode[s] = 0;
    }
}

}  // namespace zmx
