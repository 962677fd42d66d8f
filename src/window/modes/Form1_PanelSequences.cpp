// Status rules and sequences shared by the panel buttons.

#include "rules/CellStatus.h"
#include "rules/Colors.h"
#include "session/StackSession.h"
#include "window/shell/Form1.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/ShapeWidget.h"

namespace zmx {

void Form1::deriveStatusFromFlags() { session_->deriveFlagStatus(servedBoard(st)); }

void Form1::paintAllStatus() {
    for (int s = 0; s <= st.lastBoardIndex; ++s)
        for (int i = 0; i < kCellsPerBoard; ++i)
            ui.Shape1[statusIndex(s, i)]->setFillColor(
                toQColor(cellStatusStyle(st.cellStatus[statusIndex(s, i)]).color));
    // Then the bars of the selected board (the served board's lamps get the same colours again).
    ShowCellStatus();
}

void Form1::applyThermalStatus() { paintThermalChanges(session_->applyThermalStatus()); }

void Form1::paintThermalChanges(const ThermalChanges& changes) {
    // The board lamp shows a latch at once, not only from the next read on.
    for (int s : changes.latched) paintStatusLamp(s);
    if (!changes.cleared.empty()) {
        CompareReadback();
        Check_AUTO_Click();
    }
    if (changes.any()) paintAllStatus();
}

}  // namespace zmx
