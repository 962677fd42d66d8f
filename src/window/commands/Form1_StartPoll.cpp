// Start-conversion and poll commands: write-only transfers to the selected board or,
// by its broadcast switches, to the whole stack.

#include "session/StackSession.h"
#include "window/shell/Form1.h"

namespace zmx {

QString Form1::StartCellConversion(int kind, const std::string& lowDigit) {
    return paintStart(session_->startCellConversion(kind, lowDigit));
}

void Form1::StartTempConversion(const std::string& lowDigit) { paintStart(session_->startTempConversion(lowDigit)); }

void Form1::SendPoll(int kind) { paintStart(session_->sendPoll(kind)); }

}  // namespace zmx
