// READ CONFIG: RDCFG of the selected board, its verdict and the read-back boxes.

#include <QLineEdit>

#include "session/StackSession.h"
#include "window/shell/Form1.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

namespace zmx {

void Form1::ReadConfig() { ReadConfig(st.selectedBoard); }

void Form1::ReadConfig(int slot) { paintConfigRead(session_->readConfig(slot).slot); }

void Form1::paintConfigRead(int slot) {
    ShowReadConfigTransfer(slot);
    paintStatusLamp(slot);
    ShowReadback();
}

void Form1::paintStatusLamp(int slot) {
    ui.Shape12[slot]->setFillColor(toQColor(readStatusColor(static_cast<int>(st.readStatus[slot]))));
}

void Form1::ShowReadback() {
    const int s = st.selectedBoard;
    for (int k = 0; k < 6; ++k) {
        if (st.cfgViewIsReadback == 1) {
            ui.Text5[k]->setText(QStringLiteral("   %1   ").arg(QString::fromStdString(st.cfgReadback[s][k])));
        } else {
            ui.Text5[k]->clear();
            setBackground(ui.Text5[k], systemWindowBackground());
        }
    }
}

void Form1::CompareReadback() {
    const int s = st.selectedBoard;
    for (int k = 0; k < 6; ++k)
        setBackground(ui.Text5[k], session_->readbackDiffers(s, k) ? toQColor(kRed) : systemWindowBackground());
}

}  // namespace zmx
