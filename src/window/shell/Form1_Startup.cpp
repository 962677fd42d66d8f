// Start-up, identification and the ways the program ends.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "link/ControllerLink.h"
#include "link/ReadDeadline.h"
#include "protocol/BoardAddress.h"
#include "protocol/Identification.h"
#include "session/ControllerReturn.h"
#include "session/LinkFailureLine.h"
#include "session/StackDefaults.h"
#include "session/StackSession.h"
#include "window/shell/Form1.h"
#include "window/shell/widgets/Paint.h"

namespace zmx {

void Form1::Identify() {
    session_->identify();
    ui.Label_IDstring->setText(QString::fromLatin1(identificationCaption(session_->lastIdentReply())));
}

QString Form1::identificationErrorLine(bool atStartUp) const {
    const LinkFailure what = atStartUp ? LinkFailure::NoController : LinkFailure::StoppedAnswering;
    return QStringLiteral("zmx7730-gui: ") + QString::fromStdString(linkFailureLine(what, *session_));
}

void Form1::reportLinkFailure(bool atStartUp) {
    const QString line = identificationErrorLine(atStartUp);
    seams_.errorLine(line);
    const bool terminal = !seams_.hasTerminal || seams_.hasTerminal();
    const std::string box = linkFailureBoxText(line.toStdString(), terminal);
    if (!box.empty()) seams_.messageBox(QString::fromStdString(box));
}

bool Form1::Form_Load() {
    Identify();
    if (st.boardIdentified == Identified::No) return false;
    // The controller met at start-up is the one --reconnect waits for.
    if (watch_ && !watch_->start())
        seams_.errorLine(QStringLiteral("zmx7730-gui: %1")
                             .arg(QString::fromStdString(unprovenSamenessWarning(link_.backend().name()))));

    Timer1.start();
    move(0, 0);
    ui.Check_AUTO->setChecked(false);  // runs Check_AUTO_Click only when it was ticked
    // The addresses and broadcast switches the boxes and board buttons below are drawn from;
    // the rest of the start-up state follows in InitWindowAndState.
    setDefaultAddressing(st);
    {
        // Showing "0" is not a user's choice of address: no handler runs.
        const QSignalBlocker block(ui.Combo2);
        ui.Combo2->setCurrentIndex(0);
    }
    ui.Check5[5]->setChecked(true);
    for (int i = 0; i < 6; ++i) Check5_Click(i);
    for (int i = 0; i < 2; ++i) Check8_Click(i);
    for (int i = 0; i < kBoards; ++i) {
        const QString n = i < 9 ? QStringLiteral("BRD# %1    0x").arg(i + 1) : QStringLiteral("BRD#10   0x");
        ui.Command4[i]->setText(n + QString::fromStdString(st.boardAddressHex[i]));
    }

    InitWindowAndState();

    Command1_Click(6);
    return true;
}

void Form1::InitWindowAndState() {
    showBoardBanners(0);
    resize(900, 600 + (menuBar() ? menuBar()->sizeHint().height() : 0));
    placeBanner();
    layoutBoardGrid();

    ui.Combo1->setCurrentIndex(0);
    Combo1_Click();
    // The state every session starts from, set after the board-count action above: that
    // action composes images and thresholds from the boxes, which are not drawn yet.
    session_->resetToDefaults();

    resetReadIndicator(ReadIndicator::Cell);
    ApplyCdc();
    ShowThresholds();
    for (auto* box : ui.Text5) box->clear();
    ClearFlags();

    for (int n = 0; n < 4; ++n) LoadCfgrBoxes(n);
    const QColor olive(0x80, 0x80, 0x00), lightGrey(0xE0, 0xE0, 0xE0);
    setForeground(ui.Text3, olive);
    setBackground(ui.Text3, lightGrey);
    setForeground(ui.Text15, olive);
    setBackground(ui.Text15, lightGrey);
}

void Form1::Form_Unload() {
    if (ended_) return;
    ended_ = true;
    st.continuousRunning = 0;
    Timer1.stop();
}

void Form1::mnuExit_Click() {
    Form_Unload();
    close();
    seams_.exitProgram(0);
}

void Form1::endOnLostController() {
    // The timer stops first: a message box runs its own event loop, and no tick may reach the
    // lost controller meanwhile.
    Form_Unload();
    reportLinkFailure(false);
    hide();
    seams_.exitProgram(1);
}

void Form1::Cmd_DIAG_Click() {
    if (ui.Frame11->isHidden()) {
        ui.Frame11->show();
        ui.Frame12->show();
        ui.Cmd_DIAG->setText(QStringLiteral("H I DE    D  I AGNOST  I  C"));
    } else {
        ui.Frame11->hide();
        ui.Frame12->hide();
        ui.Cmd_DIAG->setText(QStringLiteral("SHOW   D  I AGNOST   I  C"));
    }
}

}  // namespace zmx
