// WRITE CONFIG: WRCFG of the selected board's composed image, addressed or broadcast.

#include <QLineEdit>
#include <QPlainTextEdit>

#include "session/StackSession.h"
#include "window/config/EditorPaint.h"
#include "window/shell/Form1.h"

namespace zmx {

void Form1::WriteConfig() {
    session_->writeConfig(st.selectedBoard, st.bcastWRCFG[st.selectedBoard] == 1);
    ShowWriteConfigTransfer();

    // Nothing composed is waiting any more: the editor boxes return to the plain pair.
    for (auto* box : ui.Text4) paintEditorPair(box, false);
    paintEditorPair(ui.Text3, false);
    paintEditorPair(ui.Text15, false);
    paintEditorPair(ui.Text2[0], false);
    paintEditorPair(ui.Text2[1], false);

    // The read-back of an earlier RDCFG no longer tells what the boards hold.
    ShowReadback();
}

}  // namespace zmx
