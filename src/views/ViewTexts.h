#pragma once
// The words and numbers the stack view shows: a heatmap cell's text, tool tip and
// accessible name, and a board's row of the communication health table. Kept apart from
// the widgets so the texts can be checked without a window.

#include <QString>
#include <QStringList>
#include <cstdint>

#include "views/StackHistory.h"

namespace zmx {

// "GOOD", "DANGER!", ... for a cell status code.
QString statusWord(int code);
// "Voltage In Range", ... for a cell status code.
QString statusMeaning(int code);
// "3.712" (the cell's latest volts) or "" when the cell was never read correctly.
QString heatmapCellText(const CellLatest& cell);
// "Board 3, cell 5"
QString heatmapCellName(int slot, int cell);
// "Board 3, cell 5: 3.712 V (code 0x9A8), GOOD: Voltage In Range, read 14:05:09.123"
QString heatmapCellDescription(int slot, int cell, const CellLatest& cell_);
// Local wall-clock time of a UTC millisecond stamp: "14:05:09.123" ("-" for 0).
QString clockText(int64_t utcMs);
// An age: "0.4 s", "12 s", "3 min 5 s", "2 h 10 min"; "never" when negative.
QString ageText(int64_t ms);
// Microseconds as milliseconds with two decimals: "1.25 ms".
QString roundTripText(int64_t us);

// The columns of the communication health table.
QStringList healthColumns();
// One board's row, in healthColumns() order. nowMs is the time "since the last good
// read" is counted to.
QStringList healthRow(const StackHistory& history, int slot, int64_t nowMs);

}  // namespace zmx
