// The transfer monitor: the last exchange, its PECs and the verdict.

#include "link/Hex.h"
#include "link/Pec.h"
#include "link/ReplyParsers.h"
#include "shell/Form1.h"
#include "shell/QtColor.h"
#include "shell/widgets/Paint.h"

namespace zmx {

void Form1::paintMonitor(const MonitorView& v) {
    if (!startLineOnly_) {
        ui.Label25->setText(QString::fromStdString(v.direction));
        ui.Label8[2]->setText(QString::fromStdString(v.header2));
        ui.Label8[0]->setText(QString::fromStdString(v.header0));
        ui.Label8[3]->setText(QString::fromStdString(v.destination));
        ui.Label8[1]->setText(QString::fromStdString(v.commandLine));
    }
    if (v.keepByteLine) return;
    ui.Text8->setText(QString::fromStdString(v.byteLine));
    setBackground(ui.Text8, toQColor(v.mismatch ? kRed : kWhite));
}

QString Form1::ShowCommandTransfer(const std::string& name, const std::string& code, const std::string& cmdPec,
                                   const std::string& addrPec, int mode) {
    const MonitorView v = commandTransferView(st, name, code, cmdPec, addrPec, mode);
    paintMonitor(v);
    return QString::fromStdString(v.byteLine);
}

void Form1::ShowWriteConfigTransfer() {
    paintMonitor(writeConfigView(st));
    st.monitorKind = 2;
}

void Form1::ShowReadConfigTransfer() {
    const int s = st.selectedBoard;
    paintMonitor(readTransferView(st, "RDCFG", "02", "CE", PecOfHexByte(st.boardAddressHex[s]), st.rdcfgRxPec[s],
                                  st.rdcfgCalcPec[s]));
    st.monitorKind = 3;
}

void Form1::ShowCellReadTransfer(int selector) {
    const int s = servedBoard(st);
    const CellReadVariant& v = cellReadVariant(selector);
    paintMonitor(readTransferView(st, v.name, v.cmdHex, "DC", PecOfHexByte(st.boardAddressHex[s]),
                                  rdcvRxPecOf(st, selector, s), rdcvCalcPecOf(st, selector, s)));
    st.monitorKind = v.monitorKind;
    st.monitorCellSelector = static_cast<uint8_t>(selector);
}

void Form1::ShowFlagReadTransfer() {
    const int s = servedBoard(st);
    paintMonitor(readTransferView(st, "RDFLG", "0C", "E4", PecOfHexByte(st.boardAddressHex[s]), st.rdflgRxPec[s],
                                  st.rdflgCalcPec[s]));
    st.monitorKind = 8;
}

void Form1::ShowTempReadTransfer() {
    const int s = servedBoard(st);
    paintMonitor(readTransferView(st, "RDTMP", "0E", "EA", PecOfHexByte(st.boardAddressHex[s]), st.rdtmpRxPec[s],
                                  st.rdtmpCalcPec[s]));
    st.monitorKind = 9;
}

void Form1::ClearMonitor() {
    ui.Label8[1]->clear();
    ui.Text8->clear();
    setBackground(ui.Text8, systemWindowBackground());
    for (int s = 0; s <= st.lastBoardIndex; ++s) ui.Shape12[s]->setFillColor(systemWindowBackground());
}

// Redraws the last exchange with the stored PECs of the board that is selected now.
void Form1::ReshowLastTransfer() {
    switch (st.monitorKind) {
        case 0: ClearMonitor(); break;
        case 2: ShowWriteConfigTransfer(); break;
        case 3: ShowReadConfigTransfer(); break;
        case 4:
        case 5:
        case 6:
        case 7: ShowCellReadTransfer(st.monitorCellSelector); break;
        case 8: ShowFlagReadTransfer(); break;
        case 9: ShowTempReadTransfer(); break;
        default: break;
    }
}

}  // namespace zmx
