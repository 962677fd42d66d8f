// Self tests with fixed patterns: a start from the self-test frame makes every result
// read the chosen pattern; the matching hex-view read then marks in red each box whose
// text differs from it. The verdict is given only for the first read after such a start.

#include <QLineEdit>
#include <QPushButton>

#include "rules/SelfTestPatterns.h"
#include "window/shell/Form1.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

namespace zmx {

namespace {

enum SelfTestButton : int {
    kCellVolt = 0,
    kOpenWire = 1,
    kAllTemp = 2,
    kReadCellHex = 3,
    kReadTempHex = 4,
    kCellDcc = 5,
    kOpenDcc = 6,
};

constexpr int16_t kVerdictPending = -1;

// White where a hex-view box shows the expected pattern text, red elsewhere.
void markPatternMismatches(QLineEdit* const* boxes, int count, std::string_view expected) {
    const QString want = QString::fromLatin1(expected.data(), static_cast<qsizetype>(expected.size()));
    for (int i = 0; i < count; ++i) setBackground(boxes[i], toQColor(boxes[i]->text() == want ? kWhite : kRed));
}

}  // namespace

void Form1::Option2_Click(int index) {
    st.selfTestDigit = std::string(selfTestDigitForOption(index));
    const auto tips = selfTestToolTips(index);
    for (std::size_t b = 0; b < kSelfTestStartButtons.size(); ++b)
        ui.Command5[kSelfTestStartButtons[b]]->setToolTip(QString::fromStdString(tips[b]));
}

void Form1::Command5_Click(int index) {
    switch (index) {
        case kCellVolt:
        case kOpenWire:
        case kCellDcc:
        case kOpenDcc:
            StartCellConversion(selfTestCellKind(index), st.selfTestDigit);
            resetCellHexView();
            ClearCellStatus(true);
            ShowCellStatus();
            showDischargeHeld(index == kCellDcc || index == kOpenDcc);
            st.cellHexView = 1;
            st.cellSelfTestPending = kVerdictPending;
            ui.Command5[kReadCellHex]->setFocus();
            break;
        case kAllTemp:
            StartTempConversion(st.selfTestDigit);
            st.tempHexView = 1;
            resetTempHexView();
            st.tempSelfTestPending = kVerdictPending;
            ui.Command5[kReadTempHex]->setFocus();
            break;
        case kReadCellHex:
            panelCellRead();
            ShowCellHex(st.tenCellMode);
            st.cellHexView = 1;
            if (st.cellSelfTestPending == kVerdictPending) checkCellSelfTest();
            st.cellSelfTestPending = 0;
            st.lastCellStep = 2;
            ui.Command5[kCellVolt]->setFocus();
            break;
        case kReadTempHex:
            panelTempRead(1);  // with the hex view on, the read already shows the codes
            if (st.tempSelfTestPending == kVerdictPending) checkTempSelfTest();
            st.tempSelfTestPending = 0;
            st.lastTempStep = 2;
            ui.Command5[kAllTemp]->setFocus();
            break;
        default: break;
    }
}

void Form1::resetCellHexView() {
    for (QLineEdit* box : ui.Text1) {
        box->setText(QStringLiteral("0x000 "));
        setBackground(box, toQColor(kWhite));
        setForeground(box, toQColor(kBlack));
    }
}

void Form1::resetTempHexView() {
    for (QLineEdit* box : ui.Text6) {
        box->setText(QStringLiteral(" 0x000 "));
        setBackground(box, toQColor(kWhite));
        setForeground(box, toQColor(kBlack));
    }
    for (int j = 0; j < 3; ++j) {
        ui.Shape6[j]->setFillColor(systemWindowBackground());
        ui.Shape7[j]->setFillColor(systemWindowBackground());
        ui.Shape8[j]->setFillColor(systemWindowBackground());
    }
}

// All twelve boxes are judged, also in ten-cell mode.
void Form1::checkCellSelfTest() {
    if (const auto expected = expectedCellText(st.selfTestDigit))
        markPatternMismatches(ui.Text1.data(), static_cast<int>(ui.Text1.size()), *expected);
}

void Form1::checkTempSelfTest() {
    if (const auto expected = expectedTempText(st.selfTestDigit))
        markPatternMismatches(ui.Text6.data(), static_cast<int>(ui.Text6.size()), *expected);
}

}  // namespace zmx
