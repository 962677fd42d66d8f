#pragma once
// The read indicators: after a start or a write, the button of the read that fetches the
// result is marked, and the mark is remembered per board so that selecting another board
// shows whether it still has an unread result. Three indicators share this structure:
// cell read, temperature read and configuration read.

#include "model/StackState.h"

namespace zmx {

enum class IndicatorKind { Cell, Temp, Config };

// What the refresh at the end of a panel click does with the indicator's step variable:
// 1 (a result is waiting) arms and marks, 2 (it was read) unmarks, anything else nothing.
enum class IndicatorAction { None, ArmAndMark, Unmark };
constexpr IndicatorAction actionForStep(int16_t step) {
    return step == 1 ? IndicatorAction::ArmAndMark : step == 2 ? IndicatorAction::Unmark : IndicatorAction::None;
}

// The step variable (lastCellStep, lastTempStep, readbackPending) and the per-board
// pending flags of an indicator.
int16_t& indicatorStep(StackState& st, IndicatorKind kind);
PerSlot<int16_t>& indicatorPending(StackState& st, IndicatorKind kind);

// True when the start or write that arms the indicator went out in broadcast form for the
// selected board, so every board of the stack holds an unread result.
bool indicatorArmsStack(const StackState& st, IndicatorKind kind);

// Sets the pending flag of every board of the stack, or of the selected board only.
void armIndicator(StackState& st, IndicatorKind kind);

}  // namespace zmx
