#include "rules/KeepAlive.h"

#include "protocol/ChipCommands.h"
#include "protocol/Frames.h"
#include "protocol/Hex.h"

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

std::string keepAlivePollFrame() {
    return buildStartFrame("", commandCodeText(chipCommand(ChipCommandId::PLADC)), true);
}

}  // namespace zmx
