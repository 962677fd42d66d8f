// Flag register read (RDFLG) of the served board.

#include "session/StackSession.h"
#include "window/shell/Form1.h"

namespace zmx {

void Form1::ReadFlags() { paintFlagRead(session_->readFlags(servedBoard(st)).slot); }

void Form1::paintFlagRead(int slot) {
    // While continuous mode reads another board, the monitor keeps showing the selected one.
    if (slot == st.selectedBoard) ShowFlagReadTransfer();
    paintStatusLamp(slot);
    ShowFlags();
}

}  // namespace zmx
