// The command panel: the row of chip-command buttons and its common steps.

#include "shell/Form1.h"

namespace zmx {

void Form1::Command1_Click(int index) {
    st.suspendIdentify = 0;
    if (st.pollPending == 1) {
        st.txCommand = "MSX";
        link_.CloseOpenFrame();
        st.pollPending = 0;
    }
    switch (index) {
        case 6:
            st.showValidOnly = 0;
            ReadConfig();
            CompareReadback();
            Check_AUTO_Click();
            if (st.readbackPending == 1) st.readbackPending = 2;
            break;
        default: break;
    }
    refreshAfterClick(ReadIndicator::Cell);
    refreshAfterClick(ReadIndicator::Temp);
    refreshAfterClick(ReadIndicator::Config);
}

void Form1::connectModeHandlers() {
    for (int i = 0; i < static_cast<int>(ui.Command1.size()); ++i)
        connect(ui.Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    connect(ui.Check_AUTO, &QCheckBox::toggled, this, [this] { Check_AUTO_Click(); });
}

}  // namespace zmx
