// Temperature register read (RDTMP) of the served board.

#include "commands/ReadDecode.h"
#include "commands/ReadVerdicts.h"
#include "link/Frames.h"
#include "link/ReplyParsers.h"
#include "shell/Form1.h"

namespace zmx {

namespace {
constexpr int kTempBytes = 5;
}

void Form1::ReadTemps() {
    const int s = servedBoard(st);

    st.txTemp = buildReadFrame(st.boardAddressHex[s], "0E", kTempBytes);
    st.rxTemps = link_.SendAndReceive(st.txTemp, replyLength(st.txTemp));
    ParseRdtmpReply(st);
    CalcRdtmpPec(st);
    ShowTempReadTransfer();

    const bool match = st.rdtmpRxPec[s] == st.rdtmpCalcPec[s];
    applyTempReadVerdict(st, s, match);
    paintStatusLamp(s);
    decodeTempReply(st, s);
    // Only a reply that passed its PEC check may raise or clear a thermal shutdown.
    updateThermalFlag(st, s, thermalBitOf(st.rxTemps), match);

    // The self-test view asks for the codes before it reads; every other caller for volts.
    if (st.tempHexView == 1) ShowTempsHex();
    else ShowTemps();
}

}  // namespace zmx
