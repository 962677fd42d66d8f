// Status rules and sequences shared by the panel buttons.

#include "display/CellStatus.h"
#include "display/Colors.h"
#include "shell/Form1.h"
#include "shell/QtColor.h"
#include "shell/widgets/ShapeWidget.h"

namespace zmx {

void Form1::deriveStatusFromFlags() { deriveFlagStatus(st, servedBoard(st)); }

void Form1::paintAllStatus() {
    for (int s = 0; s <= st.lastBoardIndex; ++s)
        for (int i = 0; i < kCellsPerBoard; ++i)
            ui.Shape1[statusIndex(s, i)]->setFillColor(
                toQColor(cellStatusStyle(st.cellStatus[statusIndex(s, i)]).color));
    // Then the bars of the selected board (the served board's lamps get the same colours again).
    ShowCellStatus();
}

void Form1::applyThermalStatus() {
    for (int s = 0; s <= st.lastBoardIndex; ++s) {
        if (st.thsdFlag[s] == 1) {
            setBoardStatus(st, s, kStatusThermal);
            st.thsdLatched[s] = 1;
            // The board lamp shows the latch at once, not only from the next read on.
            st.readStatus[s] = 3;
            paintStatusLamp(s);
            paintAllStatus();
        }
        if (st.thsdLatched[s] == 1 && st.thsdFlag[s] == 0) {
            setBoardStatus(st, s, kStatusClear);
            st.thermalCleared = 1;
            st.showValidOnly = 0;
            CompareReadback();
            Check_AUTO_Click();
            paintAllStatus();
        }
    }
}

}  // namespace zmx
