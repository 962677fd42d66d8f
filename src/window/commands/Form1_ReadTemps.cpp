// Temperature register read (RDTMP) of the served board.

#include "session/StackSession.h"
#include "window/shell/Form1.h"

namespace zmx {

void Form1::ReadTemps() { paintTempRead(session_->readTemps(servedBoard(st)).slot); }

void Form1::paintTempRead(int slot) {
    ShowTempReadTransfer();
    paintStatusLamp(slot);
    // The self-test view asks for the codes before it reads; every other caller for volts.
    if (st.tempHexView == 1) ShowTempsHex();
    else ShowTemps();
}

}  // namespace zmx
