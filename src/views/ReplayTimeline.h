#pragma once
// A recording played back into a stack history: the recorded reads and configuration
// writes in time order, and a position that can move forward (feeding the events up to it)
// or back (starting the history again from the first event). Never touches a link.

#include <cstdint>
#include <vector>

#include "session/ReadEvents.h"
#include "views/StackHistory.h"

namespace zmx {

class ReplayTimeline {
public:
    ReplayTimeline(std::vector<BoardRead> reads, std::vector<ConfigWrite> writes, HistoryOptions options = {});

    const StackHistory& history() const { return history_; }
    bool empty() const { return events_.empty(); }
    int64_t firstMs() const { return events_.empty() ? 0 : events_.front().utcMs; }
    int64_t lastMs() const { return events_.empty() ? 0 : events_.back().utcMs; }
    int64_t positionMs() const { return positionMs_; }
    // Events fed so far.
    std::size_t eventsFed() const { return next_; }

    // Moves to the time: every event at or before it is in the history, none after it.
    void seek(int64_t utcMs);

private:
    struct Event {
        int64_t utcMs;
        bool isRead;
        std::size_t index;
    };
    std::vector<BoardRead> reads_;
    std::vector<ConfigWrite> writes_;
    std::vector<Event> events_;
    StackHistory history_;
    std::size_t next_ = 0;
    int64_t positionMs_ = 0;
};

}  // namespace zmx
