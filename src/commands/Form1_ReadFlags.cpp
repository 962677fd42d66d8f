// Flag register read (RDFLG) of the served board.

#include "commands/ReadDecode.h"
#include "commands/ReadVerdicts.h"
#include "link/Frames.h"
#include "link/ReplyParsers.h"
#include "shell/Form1.h"

namespace zmx {

namespace {
constexpr int kFlagBytes = 3;
}

void Form1::ReadFlags() {
    const int s = servedBoard(st);

    st.txFlags = buildReadFrame(st.boardAddressHex[s], "0C", kFlagBytes);
    st.rxFlags = link_.SendAndReceive(st.txFlags, replyLength(st.txFlags));
    ParseRdflgReply(st);
    CalcRdflgPec(st);
    // While continuous mode reads another board, the monitor keeps showing the selected one.
    if (s == st.selectedBoard) ShowFlagReadTransfer();

    applyFlagReadVerdict(st, s, st.rdflgRxPec[s] == st.rdflgCalcPec[s]);
    paintStatusLamp(s);
    storeFlagTexts(st, s);
    ShowFlags();
}

}  // namespace zmx
