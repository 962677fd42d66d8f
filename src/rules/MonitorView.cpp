#include "rules/MonitorView.h"

#include "protocol/ChipCommands.h"
#include "protocol/Hex.h"
#include "protocol/Pec.h"

namespace zmx {

std::string destinationText(const StackState& st) { return destinationText(st, st.selectedBoard); }

std::string destinationText(const StackState& st, int s) {
    return " Address = 0x" + st.boardAddressHex[s] + " BRD#" + std::to_string(s + 1);
}

namespace {
constexpr std::string_view kBroadcastTo = "BROADCAST to all BRDS";

std::string commandLine(std::string_view code, std::string_view name) {
    return "Command = 0x" + std::string(code) + " " + std::string(name);
}
}  // namespace

MonitorView commandTransferView(const StackState& st, std::string_view name, std::string_view code,
                                std::string_view cmdPec, std::string_view addrPec, int mode) {
    MonitorView v;
    v.direction = "W R";
    v.commandLine = commandLine(code, name);
    if (mode == 1) {
        v.header2 = "| SENT | ";
        v.header0 = "|  Cmd  | ";
        v.byteLine = "   " + std::string(cmdPec) + "  | ";
        v.destination = kBroadcastTo;
    } else {
        v.header2 = "| SENT  | SENT |";
        v.header0 = "| ADDR |  Cmd  |";
        v.byteLine = "   " + std::string(addrPec) + "  |  " + std::string(cmdPec) + "  | ";
        v.destination = destinationText(st);
    }
    return v;
}

MonitorView writeConfigView(const StackState& st) {
    const int s = st.selectedBoard;
    MonitorView v;
    v.direction = "W R";
    const ChipCommand& wrcfg = chipCommand(ChipCommandId::WRCFG);
    const std::string cmdPec = commandPecText(wrcfg);
    v.commandLine = commandLine(commandCodeText(wrcfg), wrcfg.name);
    // The DATA column shows the configuration PEC without a leading zero.
    std::string dataPec = byteText(st.wrcfgPec[s]);
    if (dataPec[0] == '0') dataPec.erase(0, 1);
    if (st.bcastWRCFG[s] == 1) {
        v.header2 = "| SENT | SENT  |";
        v.header0 = "|  Cmd  | DATA | ";
        v.byteLine = "  " + cmdPec + "  |  " + dataPec + "  |";
        v.destination = kBroadcastTo;
    } else {
        v.header2 = "| SENT  | SENT | SENT  |";
        v.header0 = "| ADDR |  Cmd  | DATA |";
        const std::string addrPec = PecOfHexByte(st.boardAddressHex[s]);
        v.byteLine = "   " + addrPec + "  |  " + cmdPec + "  |  " + dataPec + "  |";
        v.destination = destinationText(st);
    }
    return v;
}

MonitorView readTransferView(StackState& st, std::string_view name, std::string_view code, std::string_view cmdPecText,
                             std::string_view addrPec, uint8_t rxPec, uint8_t calcPec) {
    return readTransferView(st, st.selectedBoard, name, code, cmdPecText, addrPec, rxPec, calcPec);
}

MonitorView readTransferView(StackState& st, int slot, std::string_view name, std::string_view code,
                             std::string_view cmdPecText, std::string_view addrPec, uint8_t rxPec, uint8_t calcPec) {
    MonitorView v;
    v.direction = "R D";
    v.header2 = "| SENT  | SENT | REC'D |  GUI    |";
    v.header0 = "| ADDR |  Cmd  | 7730  |  CALC |";
    v.destination = destinationText(st, slot);
    v.commandLine = commandLine(code, name);
    const std::string head = "   " + std::string(addrPec) + "  |  " + std::string(cmdPecText) + "  | ";
    if (rxPec == calcPec) {
        v.byteLine = head + byteText(rxPec) + " ==  " + byteText(calcPec);
        return v;
    }
    if (st.forceShowAll == 1) st.showValidOnly = 0;
    if (st.showValidOnly == 0) {
        v.mismatch = true;
        v.byteLine = head + byteText(rxPec) + "  !=  " + byteText(calcPec);
    } else {
        v.keepByteLine = true;
    }
    return v;
}

}  // namespace zmx
