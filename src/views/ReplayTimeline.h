#pragma once
// A recording played back into a stack history: the recorded reads and configuration
// writes in time order, and a position that can move forward (feeding the events up to it)
// or back (starting the history again from the first event). Never touches a link.
//
// Reads are kept in a compact form holding only what the history uses (no request, reply
// or data bytes), so a day of reads at ten boards fits in about a third of the memory the
// full reads would take.

#include <array>
#include <cstdint>
#include <vector>

#include "session/ReadEvents.h"
#include "views/StackHistory.h"

namespace zmx {

class ReplayTimeline {
public:
    explicit ReplayTimeline(HistoryOptions options = {});
    ReplayTimeline(const std::vector<BoardRead>& reads, const std::vector<ConfigWrite>& writes,
                   HistoryOptions options = {});

    // Adding events, in any order; seal() (or the first seek()) puts them in time order and
    // starts the position before the first one.
    void addRead(const BoardRead& read);
    void addWrite(const ConfigWrite& write);
    void seal();

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
    struct CompactRead {
        int64_t utcMs;
        int64_t roundTripUs;
        std::array<float, 12> cellVolts;
        std::array<int16_t, 12> cellCodes;
        std::array<int16_t, 12> cellStatus;
        int8_t slot, kind, firstCell, cellCount, lampState, thermalBit, pecMatch;
        uint8_t vuvCode, vovCode;
    };
    struct Event {
        int64_t utcMs;
        bool isRead;
        uint32_t index;
    };
    BoardRead expand(const CompactRead& c) const;

    std::vector<CompactRead> reads_;
    std::vector<ConfigWrite> writes_;
    std::vector<Event> events_;
    bool sealed_ = false;
    StackHistory history_;
    std::size_t next_ = 0;
    int64_t positionMs_ = 0;
};

}  // namespace zmx
