#pragma once
// A fixed-size history of one value over time that never grows past its capacity: while
// there is room every sample is its own point; when it is full, neighbouring points are
// merged in pairs and from then on each point gathers twice as many samples. A point keeps
// the minimum and maximum of its samples, so a spike survives any amount of merging.

#include <cstdint>
#include <vector>

namespace zmx {

struct TrendPoint {
    int64_t firstMs = 0;  // time of the first sample of the point
    int64_t lastMs = 0;   // time of the last sample
    float min = 0;
    float max = 0;
    float last = 0;     // the latest sample
    int32_t count = 0;  // samples gathered
};

class TrendBuffer {
public:
    // capacity: points kept at most; rounded up to an even number of at least 4.
    explicit TrendBuffer(int capacity = 1024);

    void add(int64_t utcMs, float value);
    void clear();

    // Oldest first.
    const std::vector<TrendPoint>& points() const { return points_; }
    // Samples a full point gathers at present (1 until the first merge, then 2, 4, ...).
    int samplesPerPoint() const { return span_; }
    int64_t samples() const { return samples_; }
    int capacity() const { return capacity_; }

private:
    void mergePairs();

    std::vector<TrendPoint> points_;
    int capacity_;
    int span_ = 1;
    int64_t samples_ = 0;
};

// The points of a buffer inside [fromMs, toMs] as (time, value) pairs to draw: one pair per
// single-sample point, and the minimum then the maximum of a merged point, so the drawn
// line covers the whole range its samples took.
struct DrawPoint {
    int64_t utcMs;
    float value;
};
void appendDrawPoints(const TrendBuffer& buffer, int64_t fromMs, int64_t toMs, std::vector<DrawPoint>& out);

}  // namespace zmx
