#pragma once
// The trend chart in words, for a screen reader: which board (or the stack) over which
// time, each cell's latest value, the lowest and highest value in view, every cell whose
// latest reading is beyond its board's VUV or VOV with the time that run began, and, while
// the keyboard cursor is in view, the values at the cursor first.

#include <QString>

#include "views/StackHistory.h"
#include "views/TrendCursor.h"

namespace zmx {

// Local wall-clock time of a UTC millisecond stamp to the second: "10:42:07".
QString secondsClockText(int64_t utcMs);

// "At 10:42:07: cell 1 3.701 V, cell 2 3.705 V." for a cursor in the visible range, else "".
QString trendCursorText(const StackHistory& history, const TrendScene& scene);

// The whole description, e.g. "Board 3, 10:30:00 to 10:42:07. Latest: cell 1 3.701 V, ...
// In view: lowest 3.650 V, highest 3.790 V. Cell 5 over VOV since 10:41:58."
QString trendDescription(const StackHistory& history, const TrendScene& scene);

// Since when the buffer's readings have been beyond a threshold without a break: the time
// of the first reading of that run, or none when the latest reading is not beyond it.
// over: beyond means above `threshold`, else below it.
std::optional<int64_t> beyondSinceMs(const TrendBuffer& buffer, float threshold, bool over);

}  // namespace zmx
