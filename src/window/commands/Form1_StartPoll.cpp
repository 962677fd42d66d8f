// Start-conversion and poll commands: write-only transfers to the selected board or,
// by its broadcast switches, to the whole stack.

#include "rules/StartPollLogic.h"
#include "session/StackSession.h"
#include "window/shell/Form1.h"

namespace zmx {

// The form the selected board's broadcast box gives the command.
bool Form1::broadcastBoxOn(const ChipCommand& cmd) const { return broadcastSwitchOn(st, cmd, st.selectedBoard); }

QString Form1::StartCellConversion(int kind, const std::string& lowDigit) {
    const bool broadcast = broadcastBoxOn(cellConversionCommand(kind));
    return paintStart(session_->startCellConversion(st.selectedBoard, broadcast, kind, lowDigit));
}

void Form1::StartTempConversion(const std::string& lowDigit) {
    const bool broadcast = broadcastBoxOn(tempConversionCommand());
    paintStart(session_->startTempConversion(st.selectedBoard, broadcast, lowDigit));
}

void Form1::SendPoll(int kind) {
    paintStart(session_->sendPoll(st.selectedBoard, broadcastBoxOn(pollCommand(kind)), kind));
}

}  // namespace zmx
