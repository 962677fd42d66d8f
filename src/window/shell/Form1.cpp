#include "window/shell/Form1.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>

#include "session/ControllerReturn.h"
#include "session/StackSession.h"
#include "window/shell/widgets/WindowDump.h"

namespace zmx {

Form1::Form1(ControllerLink& link, Seams seams, QWidget* parent)
    : QMainWindow(parent),
      session_(std::make_unique<StackSession>(link)),
      st(session_->state()),
      link_(link),
      seams_(std::move(seams)) {
    session_->setClock([this] { return seams_.now ? seams_.now() : QDateTime::currentDateTime(); });
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ZMX7730-2/-4 ADDRESSABLE MULTICELL MONITOR GUI"));
    buildInventory(this, ui);
    if (!seams_.messageBox) {
        seams_.messageBox = [this](const QString& text) {
            QMessageBox::information(this, QString(), text, QMessageBox::Ok);
        };
    }
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(100);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connectShellHandlers();
    connectConfigHandlers();
    connectDisplayHandlers();
    connectModeHandlers();
    connectExportHandlers();
}

Form1::~Form1() = default;

bool Form1::writeDump() const {
    if (dumpPath_.isEmpty()) return true;
    return writeWindowDump(this, dumpPath_);
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing the window is always allowed and ends the program.
    Form_Unload();
    event->accept();
}

void Form1::connectShellHandlers() {
    connect(ui.mnuExit, &QAction::triggered, this, [this] { mnuExit_Click(); });
    connect(ui.Cmd_DIAG, &QPushButton::clicked, this, [this] { Cmd_DIAG_Click(); });
}

}  // namespace zmx
