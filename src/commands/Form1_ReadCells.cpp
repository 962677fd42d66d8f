// Cell voltage reads (RDCV and its group variants) of the served board.

#include "commands/ReadDecode.h"
#include "commands/ReadVerdicts.h"
#include "link/Frames.h"
#include "link/ReplyParsers.h"
#include "shell/Form1.h"

namespace zmx {

void Form1::ReadCells(int selector) {
    // The byte rows of the variants are sized for their own selectors only.
    if (selector < 0 || selector > 5) selector = 0;
    const CellReadVariant& v = cellReadVariant(selector);
    const int s = servedBoard(st);

    st.txCommand = buildReadFrame(st.boardAddressHex[s], v.cmdHex, v.dataBytes);
    st.rxCells = link_.SendAndReceive(st.txCommand, replyLength(st.txCommand));
    ParseRdcvReply(st, selector);
    CalcRdcvPec(st, selector);
    ShowCellReadTransfer(selector);

    applyCellReadVerdict(st, s, rdcvRxPecOf(st, selector, s) == rdcvCalcPecOf(st, selector, s));
    paintStatusLamp(s);
    // The values are replaced whatever the verdict: a bad read shows what arrived.
    decodeCellReply(st, s, selector);
    ShowCellVolts(selector);
}

}  // namespace zmx
