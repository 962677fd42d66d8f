#include "views/ReplayTimeline.h"

#include <algorithm>

namespace zmx {

ReplayTimeline::ReplayTimeline(HistoryOptions options) : history_(options) {}

ReplayTimeline::ReplayTimeline(const std::vector<BoardRead>& reads, const std::vector<ConfigWrite>& writes,
                               HistoryOptions options)
    : history_(options) {
    reads_.reserve(reads.size());
    for (const ConfigWrite& w : writes) addWrite(w);
    for (const BoardRead& r : reads) addRead(r);
    seal();
}

void ReplayTimeline::addRead(const BoardRead& r) {
    CompactRead c{};
    c.utcMs = r.utcMs;
    c.roundTripUs = r.roundTripUs;
    c.cellVolts = r.cellVolts;
    for (std::size_t i = 0; i < 12; ++i) c.cellCodes[i] = static_cast<int16_t>(r.cellCodes[i]);
    c.cellStatus = r.cellStatus;
    c.slot = static_cast<int8_t>(std::clamp(r.slot, -1, 127));
    c.kind = static_cast<int8_t>(r.kind);
    c.firstCell = static_cast<int8_t>(std::clamp(r.firstCell, 0, 12));
    c.cellCount = static_cast<int8_t>(std::clamp(r.cellCount, 0, 12));
    c.lampState = static_cast<int8_t>(r.lampState);
    c.thermalBit = static_cast<int8_t>(r.thermalBit != 0);
    c.pecMatch = static_cast<int8_t>(r.pecMatch);
    c.vuvCode = r.config[4];
    c.vovCode = r.config[5];
    events_.push_back({r.utcMs, true, static_cast<uint32_t>(reads_.size())});
    reads_.push_back(c);
    sealed_ = false;
}

void ReplayTimeline::addWrite(const ConfigWrite& w) {
    events_.push_back({w.utcMs, false, static_cast<uint32_t>(writes_.size())});
    writes_.push_back(w);
    sealed_ = false;
}

void ReplayTimeline::seal() {
    if (sealed_) return;
    // Stable: events of one time stamp keep the order they were added in.
    std::stable_sort(events_.begin(), events_.end(), [](const Event& a, const Event& b) { return a.utcMs < b.utcMs; });
    sealed_ = true;
    history_.clear();
    next_ = 0;
    positionMs_ = firstMs() - 1;
}

BoardRead ReplayTimeline::expand(const CompactRead& c) const {
    BoardRead r;
    r.utcMs = c.utcMs;
    r.roundTripUs = c.roundTripUs;
    r.cellVolts = c.cellVolts;
    for (std::size_t i = 0; i < 12; ++i) r.cellCodes[i] = c.cellCodes[i];
    r.cellStatus = c.cellStatus;
    r.slot = c.slot;
    r.kind = static_cast<ReadKind>(c.kind);
    r.firstCell = c.firstCell;
    r.cellCount = c.cellCount;
    r.lampState = c.lampState;
    r.thermalBit = c.thermalBit;
    r.pecMatch = c.pecMatch != 0;
    r.config[4] = c.vuvCode;
    r.config[5] = c.vovCode;
    return r;
}

void ReplayTimeline::seek(int64_t utcMs) {
    seal();
    if (utcMs < positionMs_) {
        history_.clear();
        next_ = 0;
    }
    positionMs_ = utcMs;
    for (; next_ < events_.size() && events_[next_].utcMs <= utcMs; ++next_) {
        const Event& e = events_[next_];
        if (e.isRead) history_.onRead(expand(reads_[e.index]));
        else history_.onConfigWrite(writes_[e.index]);
    }
}

}  // namespace zmx
