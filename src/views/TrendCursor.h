#pragma once
// What the trend chart draws, as plain values (the source and the visible time range), and
// the readings a keyboard cursor on its time axis steps between. A reading is a point of
// a trend buffer, taken at the time of its latest sample: once neighbouring points merge,
// the cursor steps by merged points, as the chart draws them.

#include <array>
#include <cstdint>
#include <optional>

#include "views/StackHistory.h"

namespace zmx {

struct TrendScene {
    bool stack = false;  // the whole stack's lowest and highest cell instead of one board
    int slot = 0;        // the board drawn when not the stack
    int64_t fromMs = 0;  // visible time range
    int64_t toMs = 0;
    std::optional<int64_t> cursorMs;  // the keyboard cursor, when set
};

// The trend buffers of the scene's source: the board's twelve cells, or the stack's lowest
// and highest cell (the rest null).
std::array<const TrendBuffer*, 12> sceneBuffers(const StackHistory& history, const TrendScene& scene);

// The value a buffer held at `ms`: the latest sample of the last point taken at or before
// it; none before the first reading.
std::optional<float> valueAt(const TrendBuffer& buffer, int64_t ms);

// The reading of the source next to `ms` in the visible range: the latest one before it
// (direction < 0) or the earliest one after it (direction > 0). Without a cursor in view,
// the step starts from the matching edge: the newest reading in view going back, the
// oldest going forward. None when the range holds no reading in that direction.
std::optional<int64_t> steppedCursor(const StackHistory& history, const TrendScene& scene, int direction);

}  // namespace zmx
