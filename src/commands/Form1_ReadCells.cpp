// Cell voltage reads (RDCV and its group variants) of the served board.

#include "session/StackSession.h"
#include "shell/Form1.h"

namespace zmx {

void Form1::ReadCells(int selector) {
    const BoardRead r = session_->readCells(servedBoard(st), selector);
    paintCellRead(r.slot, selector < 0 || selector > 5 ? 0 : selector);
}

void Form1::paintCellRead(int slot, int selector) {
    ShowCellReadTransfer(selector);
    paintStatusLamp(slot);
    ShowCellVolts(selector);
}

}  // namespace zmx
