// Configuration register model: the bit boxes and the image, the CDC mode table, the
// standby notice and the colours that mark a configuration as composed but not written.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "protocol/Hex.h"
#include "rules/ConfigModel.h"
#include "window/config/EditorPaint.h"
#include "window/shell/Form1.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/CommandColumn.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

namespace zmx {

namespace {

QString qs(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

template <typename Boxes>
RegisterBits bitsShown(const Boxes& boxes) {
    RegisterBits bits{};
    for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = boxes[i]->isChecked();
    return bits;
}

// Shows bits in the boxes without running their click handlers: a load shows stored
// values and must not encode boxes that may still show another board.
template <typename Boxes>
void showBits(const Boxes& boxes, const RegisterBits& bits, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i <= to; ++i) {
        const QSignalBlocker block(boxes[i]);
        boxes[i]->setChecked(bits[i]);
    }
}

}  // namespace

void Form1::ApplyCdc() {
    const auto s = static_cast<std::size_t>(st.selectedBoard);
    const int c = st.cdcValue[s] & 0x07;

    ui.Text3->setPlainText(qs(cdcModeText(c)));
    // The CDC boxes and bits 2..0 of CFGR0 are set together here, with the handlers of the
    // boxes held back, so CFGR0 never picks up boxes 7..3 while they show another board.
    showBits(ui.Check0, decodeRegister(byteText(static_cast<uint8_t>(c))), 0, 2);
    st.cfgImage[s][0] = withCdcBits(st.cfgImage[s][0], c);

    ui.Text15->setText(QString::number(c));
    ui.Text15->setAlignment(Qt::AlignCenter);

    QLabel* notice = ui.Label_KA[1];
    if (c != 0) {
        ui.Shape16[6]->hide();
        if (st.keepAliveActive != 1) notice->hide();
    } else {
        ui.Shape16[6]->show();
        notice->show();
        QFont font = notice->font();
        font.setPointSize(kStandbyNoticePointSize);
        notice->setFont(font);
        setBackground(notice, toQColor(kLightYellow));
        notice->setText(qs(kStandbyNotice));
    }
    RefreshConfigView();
}

void Form1::LoadCfgrBoxes(int n) {
    if (n < 0 || n > 3) return;
    const RegisterBits bits =
        decodeRegister(st.cfgImage[static_cast<std::size_t>(st.selectedBoard)][static_cast<std::size_t>(n)]);
    switch (n) {
        case 0: showBits(ui.Check0, bits, 0, 7); break;
        case 1: showBits(ui.Check1, bits, 0, 7); break;
        case 2: showBits(ui.Check2, bits, 0, 7); break;
        default: showBits(ui.Check3, bits, 0, 7); break;
    }
}

void Form1::EncodeCfgr0() {
    st.cfgImage[static_cast<std::size_t>(st.selectedBoard)][0] = encodeRegister(bitsShown(ui.Check0));
}

void Form1::EncodeCfgr(int n) {
    auto& image = st.cfgImage[static_cast<std::size_t>(st.selectedBoard)];
    switch (n) {
        case 1: image[1] = encodeRegister(bitsShown(ui.Check1)); break;
        case 2: image[2] = encodeRegister(bitsShown(ui.Check2)); break;
        case 3: image[3] = encodeRegister(bitsShown(ui.Check3)); break;
        default: break;
    }
}

void Form1::RefreshConfigView() {
    const int s = st.selectedBoard;
    const PendingMarks marks = pendingMarks(st, s);
    st.configChanged = marks.registers ? 1 : 0;
    for (auto* box : ui.Text4) paintEditorPair(box, marks.registers);
    paintEditorPair(ui.Text3, marks.cdc);
    paintEditorPair(ui.Text15, marks.cdc);
    paintEditorPair(ui.Text2[0], marks.vuv);
    paintEditorPair(ui.Text2[1], marks.vov);
    for (std::size_t k = 0; k < ui.Text4.size(); ++k)
        ui.Text4[k]->setText(QString::fromStdString(writtenBoxText(st.cfgImage[static_cast<std::size_t>(s)][k])));
    ShowWritePending();
}

void Form1::ShowWritePending() {
    // Pending: the button is narrowed and moved right so that its highlight Shape14 shows.
    const bool pending = st.configChanged == 1;
    QPushButton* button = ui.Command1[5];
    button->setText(qs(pending ? kWritePendingCaption : kWriteIdleCaption));
    setCommandNarrowed(button, pending);
    ui.Shape14->setVisible(pending);
}

}  // namespace zmx
