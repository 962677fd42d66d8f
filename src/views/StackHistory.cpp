#include "views/StackHistory.h"

#include <algorithm>
#include <utility>

#include "rules/Thresholds.h"

namespace zmx {

namespace {

template <std::size_t... I>
std::array<TrendBuffer, 12> makeTrends(int points, std::index_sequence<I...>) {
    return {((void)I, TrendBuffer(points))...};
}

template <std::size_t... I>
std::array<BoardHistory, StackHistory::kBoards> makeBoards(int points, std::index_sequence<I...>) {
    return {((void)I, BoardHistory(points))...};
}

}  // namespace

BoardHistory::BoardHistory(int trendPoints) : trend(makeTrends(trendPoints, std::make_index_sequence<12>{})) {}

StackHistory::StackHistory(HistoryOptions options)
    : options_(options),
      boards_(makeBoards(options.trendPoints, std::make_index_sequence<kBoards>{})),
      stackMin_(options.trendPoints),
      stackMax_(options.trendPoints) {}

void StackHistory::clear() {
    const uint64_t revision = revision_;
    *this = StackHistory(options_);
    revision_ = revision + 1;
}

void StackHistory::touch(int64_t utcMs) {
    if (firstMs_ == 0 || utcMs < firstMs_) firstMs_ = utcMs;
    lastMs_ = std::max(lastMs_, utcMs);
    ++revision_;
}

void StackHistory::onRead(const BoardRead& read) {
    if (read.slot < 0 || read.slot >= kBoards) return;
    BoardHistory& b = boards_[static_cast<std::size_t>(read.slot)];
    touch(read.utcMs);
    b.seen = true;
    boardsSeen_ = std::max(boardsSeen_, read.slot + 1);
    b.lampState = read.lampState;

    BoardHealth& h = b.health;
    ++h.reads;
    h.lastReadMs = read.utcMs;
    h.addRoundTrip(read.roundTripUs);
    if (read.pecMatch) {
        h.lastGoodMs = read.utcMs;
        h.failedPasses = 0;
    } else {
        ++h.pecMismatches;
        if (read.kind == ReadKind::Cells) ++h.failedPasses;
    }
    // Only a temperature reply that passed its check tells the thermal bit; the lamp shows
    // a latch the window made from an earlier one.
    if (read.kind == ReadKind::Temps && read.pecMatch) h.thermalLatched = read.thermalBit != 0;
    else if (read.lampState == 3) h.thermalLatched = true;

    for (int i = 0; i < 12; ++i) {
        b.cells[static_cast<std::size_t>(i)].status = read.cellStatus[static_cast<std::size_t>(i)];
        b.cells[static_cast<std::size_t>(i)].statusMs = read.utcMs;
    }
    if (read.kind == ReadKind::Cells && read.pecMatch) takeCells(b, read);
    if (read.kind == ReadKind::Config && read.pecMatch) takeThresholds(b, read.config[4], read.config[5]);
}

void StackHistory::takeCells(BoardHistory& b, const BoardRead& read) {
    const int first = std::clamp(read.firstCell, 1, 12);
    const int last = std::min(12, first + std::max(0, read.cellCount) - 1);
    for (int n = first; n <= last; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        CellLatest& c = b.cells[i];
        c.valid = true;
        c.volts = read.cellVolts[i];
        c.code = read.cellCodes[i];
        c.readMs = read.utcMs;
        b.trend[i].add(read.utcMs, c.volts);
    }
    // The stack's extremes over every board's latest valid cells.
    bool any = false;
    float lo = 0, hi = 0;
    for (int s = 0; s < boardsSeen_; ++s) {
        for (const CellLatest& c : boards_[static_cast<std::size_t>(s)].cells) {
            if (!c.valid) continue;
            lo = any ? std::min(lo, c.volts) : c.volts;
            hi = any ? std::max(hi, c.volts) : c.volts;
            any = true;
        }
    }
    if (any) {
        stackMin_.add(read.utcMs, lo);
        stackMax_.add(read.utcMs, hi);
    }
}

void StackHistory::takeThresholds(BoardHistory& b, uint8_t vuvCode, uint8_t vovCode) {
    b.vuvVolts = codeVolts(Threshold::Vuv, vuvCode);
    b.vovVolts = codeVolts(Threshold::Vov, vovCode);
}

void StackHistory::onConfigWrite(const ConfigWrite& write) {
    touch(write.utcMs);
    if (write.broadcast) {
        for (BoardHistory& b : boards_) takeThresholds(b, write.bytes[4], write.bytes[5]);
    } else if (write.slot >= 0 && write.slot < kBoards) {
        takeThresholds(boards_[static_cast<std::size_t>(write.slot)], write.bytes[4], write.bytes[5]);
    }
}

void StackHistory::onKeepAlive(int64_t utcMs, int boards) {
    touch(utcMs);
    for (int s = 0; s < std::min(boards, kBoards); ++s) ++boards_[static_cast<std::size_t>(s)].health.keepAlives;
}

}  // namespace zmx
