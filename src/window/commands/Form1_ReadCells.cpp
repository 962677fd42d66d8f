// Cell voltage reads (RDCV and its group variants) of the served board.

#include "protocol/ReplyParsers.h"
#include "session/StackSession.h"
#include "window/shell/Form1.h"

namespace zmx {

void Form1::ReadCells(int selector) {
    const BoardRead r = session_->readCells(servedBoard(st), selector);
    paintCellRead(r.slot, cellSelectorInRange(selector));
}

void Form1::paintCellRead(int slot, int selector) {
    ShowCellReadTransfer(selector);
    paintStatusLamp(slot);
    ShowCellVolts(selector);
}

}  // namespace zmx
