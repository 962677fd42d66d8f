// The transfer monitor: the last exchange, its PECs and the verdict.

#include <QLabel>
#include <QLineEdit>

#include "protocol/Hex.h"
#include "protocol/Pec.h"
#include "protocol/ReplyParsers.h"
#include "rules/MonitorView.h"
#include "session/StackSession.h"
#include "window/shell/Form1.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

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

// A read as the monitor shows it: always the row of the selected board, the board its
// destination label names (its address PEC and its stored received and computed PECs),
// also while continuous mode reads the others. The monitor remembers the kind so a board
// change can redraw it with the newly selected board's PECs.
void Form1::paintReadTransfer(const ChipCommand& cmd, uint8_t rxPec, uint8_t calcPec) {
    paintReadTransfer(cmd, rxPec, calcPec, st.selectedBoard);
}

// The same for a read the window makes of another board than the selected one (a sweep
// over the stack), named as the board it read.
void Form1::paintReadTransfer(const ChipCommand& cmd, uint8_t rxPec, uint8_t calcPec, int s) {
    paintMonitor(readTransferView(st, s, cmd.name, commandCodeText(cmd), commandPecText(cmd),
                                  PecOfHexByte(st.boardAddressHex[s]), rxPec, calcPec));
    st.monitorKind = cmd.monitorKind;
}

QString Form1::paintStart(const StartResult& start, bool lineOnly) {
    const WriteOnlyTransfer& t = start.transfer;
    const bool keep = startLineOnly_;
    startLineOnly_ = lineOnly || keep;
    const QString shown = ShowCommandTransfer(std::string(start.command->name), t.code, t.cmdPec, t.addrPec, t.mode);
    startLineOnly_ = keep;
    return shown;
}

QString Form1::ShowCommandTransfer(const std::string& name, const std::string& code, const std::string& cmdPec,
                                   const std::string& addrPec, int mode) {
    const MonitorView v = commandTransferView(st, name, code, cmdPec, addrPec, mode);
    paintMonitor(v);
    return QString::fromStdString(v.byteLine);
}

void Form1::ShowWriteConfigTransfer() {
    paintMonitor(writeConfigView(st));
    st.monitorKind = MonitorKind::WriteConfig;
}

void Form1::ShowReadConfigTransfer() { ShowReadConfigTransfer(st.selectedBoard); }

void Form1::ShowReadConfigTransfer(int s) {
    paintReadTransfer(chipCommand(ChipCommandId::RDCFG), st.rdcfgRxPec[s], st.rdcfgCalcPec[s], s);
}

void Form1::ShowCellReadTransfer(int selector) {
    const int s = st.selectedBoard;
    const CellReadVariant& v = cellReadVariant(selector);
    paintReadTransfer(v.cmd(), rdcvRxPecOf(st, selector, s), rdcvCalcPecOf(st, selector, s));
    st.monitorCellSelector = static_cast<uint8_t>(selector);
}

void Form1::ShowFlagReadTransfer() {
    const int s = st.selectedBoard;
    paintReadTransfer(chipCommand(ChipCommandId::RDFLG), st.rdflgRxPec[s], st.rdflgCalcPec[s]);
}

void Form1::ShowTempReadTransfer() {
    const int s = st.selectedBoard;
    paintReadTransfer(chipCommand(ChipCommandId::RDTMP), st.rdtmpRxPec[s], st.rdtmpCalcPec[s]);
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
        case MonitorKind::Cleared: ClearMonitor(); break;
        case MonitorKind::WriteConfig: ShowWriteConfigTransfer(); break;
        case MonitorKind::ReadConfig: ShowReadConfigTransfer(); break;
        case MonitorKind::Cells:
        case MonitorKind::CellsA:
        case MonitorKind::CellsB:
        case MonitorKind::CellsC: ShowCellReadTransfer(st.monitorCellSelector); break;
        case MonitorKind::Flags: ShowFlagReadTransfer(); break;
        case MonitorKind::Temps: ShowTempReadTransfer(); break;
    }
}

}  // namespace zmx
