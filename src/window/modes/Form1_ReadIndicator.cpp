// Read indicators: the button of the read that is due is narrowed so its highlight shows,
// and the unread result is remembered per board (see modes/ReadIndicatorLogic.h).

#include <QPushButton>

#include "rules/CommandPanel.h"
#include "rules/ReadIndicatorLogic.h"
#include "window/shell/Form1.h"
#include "window/shell/widgets/CommandColumn.h"
#include "window/shell/widgets/ShapeWidget.h"

namespace zmx {

namespace {

constexpr IndicatorKind kindOf(ReadIndicator which) {
    switch (which) {
        case ReadIndicator::Cell: return IndicatorKind::Cell;
        case ReadIndicator::Temp: return IndicatorKind::Temp;
        case ReadIndicator::Config: break;
    }
    return IndicatorKind::Config;
}

QPushButton* buttonOf(Controls& ui, ReadIndicator which) {
    switch (which) {
        case ReadIndicator::Cell: return ui.Command1[kReadCellVolt];
        case ReadIndicator::Temp: return ui.Command1[kReadTemp];
        case ReadIndicator::Config: break;
    }
    return ui.Command1[kReadConfig];
}

ShapeWidget* highlightOf(Controls& ui, ReadIndicator which) {
    switch (which) {
        case ReadIndicator::Cell: return ui.Shape16[1];
        case ReadIndicator::Temp: return ui.Shape16[2];
        case ReadIndicator::Config: break;
    }
    return ui.Shape16[0];
}

}  // namespace

void Form1::armReadIndicator(ReadIndicator which) { armIndicator(st, kindOf(which)); }

void Form1::markReadIndicator(ReadIndicator which) {
    setCommandNarrowed(buttonOf(ui, which), true);
    highlightOf(ui, which)->show();
    indicatorStep(st, kindOf(which)) = 1;
    if (which == ReadIndicator::Cell) ui.Command1[kReadCellVolt]->setText(QStringLiteral("READCELL"));
}

void Form1::unmarkReadIndicator(ReadIndicator which) {
    setCommandNarrowed(buttonOf(ui, which), false);
    highlightOf(ui, which)->hide();
    indicatorStep(st, kindOf(which)) = 0;
    indicatorPending(st, kindOf(which))[st.selectedBoard] = 0;
    if (which == ReadIndicator::Cell) ui.Command1[kReadCellVolt]->setText(QStringLiteral("READCELLVOLT"));
}

void Form1::refreshAfterClick(ReadIndicator which) {
    switch (actionForStep(indicatorStep(st, kindOf(which)))) {
        case IndicatorAction::ArmAndMark:
            armReadIndicator(which);
            markReadIndicator(which);
            break;
        case IndicatorAction::Unmark: unmarkReadIndicator(which); break;
        case IndicatorAction::None: break;
    }
}

void Form1::refreshForBoard(ReadIndicator which) {
    if (indicatorPending(st, kindOf(which))[st.selectedBoard] == 1) markReadIndicator(which);
    else unmarkReadIndicator(which);
}

void Form1::resetReadIndicator(ReadIndicator which) {
    PerSlot<int16_t>& pending = indicatorPending(st, kindOf(which));
    for (int s = 0; s < kBoards; ++s) pending[s] = 0;
    indicatorStep(st, kindOf(which)) = 0;
    unmarkReadIndicator(which);
}

void Form1::ARM_BLINK_RDCV_7730addr() { markReadIndicator(ReadIndicator::Cell); }

}  // namespace zmx
