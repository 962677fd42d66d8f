#include "views/ReplayTimeline.h"

#include <algorithm>

namespace zmx {

ReplayTimeline::ReplayTimeline(std::vector<BoardRead> reads, std::vector<ConfigWrite> writes, HistoryOptions options)
    : reads_(std::move(reads)), writes_(std::move(writes)), history_(options) {
    events_.reserve(reads_.size() + writes_.size());
    for (std::size_t i = 0; i < writes_.size(); ++i) events_.push_back({writes_[i].utcMs, false, i});
    for (std::size_t i = 0; i < reads_.size(); ++i) events_.push_back({reads_[i].utcMs, true, i});
    // Stable: at one time stamp a write comes before the reads, and reads keep their order.
    std::stable_sort(events_.begin(), events_.end(), [](const Event& a, const Event& b) { return a.utcMs < b.utcMs; });
    positionMs_ = firstMs() - 1;
}

void ReplayTimeline::seek(int64_t utcMs) {
    if (utcMs < positionMs_) {
        history_.clear();
        next_ = 0;
    }
    positionMs_ = utcMs;
    for (; next_ < events_.size() && events_[next_].utcMs <= utcMs; ++next_) {
        const Event& e = events_[next_];
        if (e.isRead) history_.onRead(reads_[e.index]);
        else history_.onConfigWrite(writes_[e.index]);
    }
}

}  // namespace zmx
