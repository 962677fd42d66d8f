// The watchdog keep-alive and the per-tick banners and highlights: the broadcast poll
// that serves the chips' watchdogs while continuous mode is off, the blinking
// "WDT SERVICE" marker on POLL ADC, the banner under the command column and the READ
// CONFIG highlight after a write.

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>

#include "rules/CommandPanel.h"
#include "rules/KeepAlive.h"
#include "session/StackSession.h"
#include "window/shell/Form1.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/CommandColumn.h"
#include "window/shell/widgets/Layout.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

namespace zmx {

namespace {

void showBanner(QLabel* banner, std::string_view text, Rgb colour) {
    QFont font = banner->font();
    font.setPointSize(kBannerPointSize);
    banner->setFont(font);
    banner->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    setBackground(banner, toQColor(colour));
}

void showPollBanner(QLabel* banner) { showBanner(banner, kPollBannerText, kLightRedBanner); }

// The "WDT SERVICE" marker replaces the PLADC broadcast box and frames POLL ADC.
void showWdtMarker(Controls& ui, bool shown) {
    ui.Label_KA[0]->setVisible(shown);
    ui.Shape_KA->setVisible(shown);
    ui.Check5[0]->setVisible(!shown);
    setCommandNarrowed(ui.Command1[kPollAdc], shown);
}

}  // namespace

void Form1::evaluateKeepAlive() { evaluateKeepAliveState(st); }

void Form1::sendKeepAlivePoll() { session_->sendKeepAlivePoll(); }

void Form1::keepAliveTick() {
    const bool measuring = anyBoardMeasuring(st);
    QLabel* banner = ui.Label_KA[1];
    const QColor standbyColour = toQColor(kLightYellow);
    // The banner's visibility is worked out first and applied once: in continuous mode a
    // tick hides the keep-alive banner and shows the sending banner in its place, and a
    // banner hidden and shown again in one tick would repaint that part of the window.
    bool shown = !banner->isHidden();

    if (st.keepAliveActive == 0) {
        st.keepAliveCounter = 0;
        // The standby notice stays; a keep-alive banner goes with the keep-alive.
        if (shown && background(banner) != standbyColour) shown = false;
    }
    if (wdtMarkerAt(st.keepAliveActive, st.keepAliveCounter) == WdtMarker::Hide) showWdtMarker(ui, false);
    if (st.keepAliveActive == 1) {
        if (shown) {
            const QColor now = background(banner);
            if (now == toQColor(kLightGreenBanner) || (now == standbyColour && st.cdcValue[st.selectedBoard] > 0))
                showPollBanner(banner);
        } else {
            shown = true;
            showPollBanner(banner);
        }
        if (wdtMarkerAt(st.keepAliveActive, st.keepAliveCounter) == WdtMarker::Show) showWdtMarker(ui, true);
        st.keepAliveCounter = nextKeepAliveCounter(st.keepAliveCounter);
    }
    if (st.continuousRunning == 1 && ui.Label_AUTOstatus->isHidden() && !shown && measuring) {
        shown = true;
        showBanner(banner, kSendingBannerText, kLightGreenBanner);
    }
    if (shown == banner->isHidden()) banner->setVisible(shown);
}

// While a write waits for its read-back, READ CONFIG is framed as the next step only
// once the composed image equals what was written.
void Form1::readbackPrompt() {
    if (st.readbackPending != kStepIssued) return;
    const bool written = st.configChanged == 0;
    setCommandNarrowed(ui.Command1[kReadConfig], written);
    ui.Shape16[0]->setVisible(written);
}

void Form1::placeBanner() {
    QLabel* banner = ui.Label_KA[1];
    banner->move(layout::kBannerLeft, layout::kBannerTop);
    showBanner(banner, kPollBannerText, kLightRedBanner);
}

}  // namespace zmx
