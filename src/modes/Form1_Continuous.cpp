// The timer tick: keep-alive, re-identification, continuous mode, banners.

#include "shell/Form1.h"
#include "shell/QtColor.h"
#include "shell/widgets/Paint.h"

namespace zmx {

void Form1::Timer1_Timer() {
    if (ended_) return;
    if (st.suspendIdentify == 0) {
        if (st.keepAliveActive == 1 &&
            (st.keepAliveCounter == 1 || st.keepAliveCounter == 3 || st.keepAliveCounter == 5))
            sendKeepAlivePoll();
        Identify();
    }
    if (st.boardIdentified == 0) {
        st.continuousRunning = 0;
        endOnLostController();
        return;
    }
    if (st.continuousRunning == 1) {
        Check_AUTO_Click();
        continuousStep();
    }
    readbackPrompt();
    keepAliveTick();
}

void Form1::Check_AUTO_Click() {
    if (ui.Check_AUTO->isChecked()) {
        st.showValidOnly = 1;
        ui.Label_AUTOstatus->setText(QStringLiteral("DISPLAY ONLY VALID DATA TRANSFERS!"));
        setForeground(ui.Label_AUTOstatus, toQColor(kDarkGreen));
    } else {
        st.showValidOnly = 0;
        ui.Label_AUTOstatus->setText(QStringLiteral("DISPLAY ALL DATA TRANSFERS!"));
        setForeground(ui.Label_AUTOstatus, toQColor(kMaroon));
    }
}

}  // namespace zmx
