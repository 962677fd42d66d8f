// Start-conversion and poll commands: write-only transfers to the selected board or,
// by its broadcast switches, to the whole stack.

#include "commands/StartPollLogic.h"
#include "shell/Form1.h"

namespace zmx {

QString Form1::StartCellConversion(int kind, const std::string& lowDigit) {
    const WriteOnlyCommand& cmd = cellConversionCommand(kind);
    const WriteOnlyTransfer t = startTransfer(st, cmd, lowDigit);
    st.txCommand = t.text;
    link_.SendOnly(st.txCommand);
    const QString shown = ShowCommandTransfer(std::string(cmd.name), t.code, t.cmdPec, t.addrPec, t.mode);
    // Every board's earlier cell and flag readings predate this conversion, addressed or not.
    markCellReadingsStale(st);
    return shown;
}

void Form1::StartTempConversion(const std::string& lowDigit) {
    const WriteOnlyCommand& cmd = tempConversionCommand();
    const WriteOnlyTransfer t = startTransfer(st, cmd, lowDigit);
    st.txTemp = t.text;
    link_.SendOnly(st.txTemp);
    ShowCommandTransfer(std::string(cmd.name), t.code, t.cmdPec, t.addrPec, t.mode);
    markTempReadingsStale(st);
}

void Form1::SendPoll(int kind) {
    const WriteOnlyCommand& cmd = pollCommand(kind);
    const WriteOnlyTransfer t = pollTransfer(st, cmd);
    st.txCommand = t.text;
    link_.SendOnly(st.txCommand);
    ShowCommandTransfer(std::string(cmd.name), t.code, t.cmdPec, t.addrPec, t.mode);
}

}  // namespace zmx
