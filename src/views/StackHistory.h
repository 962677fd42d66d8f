#pragma once
// What the stack view shows, gathered from the session's reads: per board the latest value
// and status code of every cell (the heatmap), a bounded trend of every cell and of the
// whole stack's lowest and highest cell (the trend chart), the thresholds last written or
// read back, and the board's link health. Fed live as a session listener or from a
// recording; memory stays bounded however long it runs.

#include <array>
#include <cstdint>
#include <limits>

#include "session/ReadEvents.h"
#include "views/BoardHealth.h"
#include "views/TrendBuffer.h"

namespace zmx {

struct HistoryOptions {
    int trendPoints = 1024;  // points kept per cell trend (see TrendBuffer)
    int failedPassMark = 3;  // failed passes in a row that mark a board as not answering
};

// The latest reading of one cell. Volts come from reads whose PEC matched only; the status
// code is the window's, taken from every read of the board.
struct CellLatest {
    bool valid = false;  // a matching read has carried this cell
    float volts = 0;
    int code = 0;          // 12-bit cell code
    int64_t readMs = 0;    // time of that read
    int16_t status = 0;    // cell status code 0..7
    int64_t statusMs = 0;  // time of the read that carried the status (0: none yet)
};

struct BoardHistory {
    explicit BoardHistory(int trendPoints = 1024);
    bool seen = false;  // any read of the board
    std::array<CellLatest, 12> cells{};
    std::array<TrendBuffer, 12> trend;
    BoardHealth health;
    // Thresholds in volts from the last configuration written to or read back from the
    // board; NaN until one is known.
    float vuvVolts = std::numeric_limits<float>::quiet_NaN();
    float vovVolts = std::numeric_limits<float>::quiet_NaN();
    int16_t lampState = 0;
};

class StackHistory : public SessionListener {
public:
    static constexpr int kBoards = 10;

    explicit StackHistory(HistoryOptions options = {});

    void onRead(const BoardRead& read) override;
    void onConfigWrite(const ConfigWrite& write) override;
    void onKeepAlive(int64_t utcMs, int boards) override;

    void clear();

    const BoardHistory& board(int slot) const { return boards_[static_cast<std::size_t>(clampSlot(slot))]; }
    // One past the highest slot read so far (0 when nothing was read).
    int boardsSeen() const { return boardsSeen_; }
    // The lowest and highest valid cell of the whole stack after every matching cell read.
    const TrendBuffer& stackMin() const { return stackMin_; }
    const TrendBuffer& stackMax() const { return stackMax_; }
    // True when the board has failed the marked number of passes in a row.
    bool notAnswering(int slot) const { return board(slot).health.failedPasses >= options_.failedPassMark; }
    const HistoryOptions& options() const { return options_; }

    // Time of the first and last event (0 when none).
    int64_t firstMs() const { return firstMs_; }
    int64_t lastMs() const { return lastMs_; }
    // Grows with every change, so a view repaints only when something happened.
    uint64_t revision() const { return revision_; }

private:
    static int clampSlot(int slot) { return slot < 0 ? 0 : (slot >= kBoards ? kBoards - 1 : slot); }
    void touch(int64_t utcMs);
    void takeCells(BoardHistory& b, const BoardRead& read);
    void takeThresholds(BoardHistory& b, uint8_t vuvCode, uint8_t vovCode);

    HistoryOptions options_;
    std::array<BoardHistory, kBoards> boards_;
    TrendBuffer stackMin_, stackMax_;
    int boardsSeen_ = 0;
    int64_t firstMs_ = 0, lastMs_ = 0;
    uint64_t revision_ = 0;
};

}  // namespace zmx
