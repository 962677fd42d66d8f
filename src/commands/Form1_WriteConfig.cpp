// WRITE CONFIG: WRCFG of the selected board's composed image, addressed or broadcast.

#include "commands/WriteConfigLogic.h"
#include "config/ConfigModel.h"
#include "link/Hex.h"
#include "shell/Form1.h"
#include "shell/QtColor.h"
#include "shell/widgets/Paint.h"

namespace zmx {

void Form1::WriteConfig() {
    const auto s = static_cast<std::size_t>(st.selectedBoard);
    st.wrcfgPec[s] = textToByte(PecOfConfig(st, st.selectedBoard));
    st.txConfig = wrcfgFrame(st, st.selectedBoard);
    link_.SendOnly(st.txConfig);
    ShowWriteConfigTransfer();

    // Nothing composed is waiting any more: the editor boxes return to the plain pair.
    const QColor text = systemWindowText();
    const QColor back = toQColor(kPlainPair.back);
    auto paintPlain = [&](QWidget* box) {
        setForeground(box, text);
        setBackground(box, back);
    };
    for (auto* box : ui.Text4) paintPlain(box);
    paintPlain(ui.Text3);
    paintPlain(ui.Text15);
    paintPlain(ui.Text2[0]);
    paintPlain(ui.Text2[1]);

    // The read-back of an earlier RDCFG no longer tells what the boards hold.
    st.cfgViewIsReadback = 0;
    ShowReadback();

    recordWrite(st);
}

}  // namespace zmx
