#include "views/TrendBuffer.h"

#include <algorithm>

namespace zmx {

TrendBuffer::TrendBuffer(int capacity) : capacity_(std::max(4, capacity + (capacity & 1))) {}

void TrendBuffer::clear() {
    points_.clear();
    points_.shrink_to_fit();
    span_ = 1;
    samples_ = 0;
}

void TrendBuffer::add(int64_t utcMs, float value) {
    ++samples_;
    if (!points_.empty() && points_.back().count < span_) {
        TrendPoint& p = points_.back();
        p.lastMs = utcMs;
        p.min = std::min(p.min, value);
        p.max = std::max(p.max, value);
        p.last = value;
        ++p.count;
        return;
    }
    if (static_cast<int>(points_.size()) == capacity_) mergePairs();
    // Reserved at the first sample only: a board that is never read costs nothing.
    if (points_.capacity() == 0) points_.reserve(static_cast<std::size_t>(capacity_));
    points_.push_back({utcMs, utcMs, value, value, value, 1});
}

void TrendBuffer::mergePairs() {
    const std::size_t half = points_.size() / 2;
    for (std::size_t i = 0; i < half; ++i) {
        const TrendPoint& a = points_[2 * i];
        const TrendPoint& b = points_[2 * i + 1];
        points_[i] = {a.firstMs, b.lastMs, std::min(a.min, b.min), std::max(a.max, b.max), b.last, a.count + b.count};
    }
    points_.resize(half);
    span_ *= 2;
}

void appendDrawPoints(const TrendBuffer& buffer, int64_t fromMs, int64_t toMs, std::vector<DrawPoint>& out) {
    const auto& pts = buffer.points();
    // Points are in time order: skip those that end before the range by bisection.
    auto it =
        std::lower_bound(pts.begin(), pts.end(), fromMs, [](const TrendPoint& p, int64_t t) { return p.lastMs < t; });
    for (; it != pts.end() && it->firstMs <= toMs; ++it) {
        if (it->count == 1) {
            out.push_back({it->firstMs, it->last});
        } else {
            out.push_back({it->firstMs, it->min});
            out.push_back({it->lastMs, it->max});
        }
    }
}

}  // namespace zmx
