#include "views/TrendCursor.h"

#include <algorithm>

namespace zmx {

std::array<const TrendBuffer*, 12> sceneBuffers(const StackHistory& history, const TrendScene& scene) {
    std::array<const TrendBuffer*, 12> out{};
    if (scene.stack) {
        out[0] = &history.stackMin();
        out[1] = &history.stackMax();
    } else {
        const BoardHistory& b = history.board(scene.slot);
        for (std::size_t i = 0; i < out.size(); ++i) out[i] = &b.trend[i];
    }
    return out;
}

std::optional<float> valueAt(const TrendBuffer& buffer, int64_t ms) {
    const auto& pts = buffer.points();
    // The first point whose latest sample comes after ms; the one before it holds the value.
    auto it = std::upper_bound(pts.begin(), pts.end(), ms, [](int64_t t, const TrendPoint& p) { return t < p.lastMs; });
    if (it == pts.begin()) return std::nullopt;
    return std::prev(it)->last;
}

std::optional<int64_t> steppedCursor(const StackHistory& history, const TrendScene& scene, int direction) {
    const bool inView = scene.cursorMs && *scene.cursorMs >= scene.fromMs && *scene.cursorMs <= scene.toMs;
    std::optional<int64_t> best;
    for (const TrendBuffer* buffer : sceneBuffers(history, scene)) {
        if (!buffer) continue;
        for (const TrendPoint& p : buffer->points()) {
            const int64_t t = p.lastMs;
            if (t < scene.fromMs || t > scene.toMs) continue;
            if (direction < 0) {
                if (inView && t >= *scene.cursorMs) continue;
                if (!best || t > *best) best = t;
            } else {
                if (inView && t <= *scene.cursorMs) continue;
                if (!best || t < *best) best = t;
            }
        }
    }
    return best;
}

}  // namespace zmx
