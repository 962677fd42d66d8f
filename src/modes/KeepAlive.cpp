#include "modes/KeepAlive.h"

#include "link/Frames.h"
#include "link/Hex.h"

namespace zmx {

bool anyBoardMeasuring(const StackState& st) {
    for (int s = 0; s <= st.lastBoardIndex && s < kBoards; ++s)
        if ((hexTextValue(st.cfgWritten[s][0]) & 0x07) != 0) return true;
    return false;
}

void evaluateKeepAliveState(StackState& st) {
    if (anyBoardMeasuring(st)) {
        st.keepAliveActive = 1;
        st.keepAliveCounter = kKeepAliveStartCounter;
    } else {
        st.keepAliveActive = 0;
    }
}

std::string keepAlivePollFrame() { return buildStartFrame("", "40", true); }

}  // namespace zmx
