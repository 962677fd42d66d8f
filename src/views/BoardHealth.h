#pragma once
// The link health of one board as its reads show it: how many reads, how many came back
// with a wrong PEC, when the last good one arrived, how long the transfers take, whether
// the keep-alive reached it, and whether it has stopped answering correctly.

#include <array>
#include <cstdint>

namespace zmx {

struct BoardHealth {
    int64_t reads = 0;
    int64_t pecMismatches = 0;
    int64_t lastReadMs = 0;  // 0: never read
    int64_t lastGoodMs = 0;  // 0: never answered with a matching PEC
    int64_t keepAlives = 0;  // keep-alive polls sent while the board was in the stack
    bool thermalLatched = false;
    // Cell reads in a row without one correct answer of any kind in between: one cell read
    // opens each pass over the board, so this counts the passes the board has failed.
    int failedPasses = 0;
    int64_t worstRoundTripUs = 0;

    void addRoundTrip(int64_t us);
    // Median of the latest round trips kept (0 when none).
    int64_t medianRoundTripUs() const;
    // Mismatches per read, 0..1 (0 when never read).
    double mismatchRate() const {
        return reads ? static_cast<double>(pecMismatches) / static_cast<double>(reads) : 0.0;
    }

private:
    static constexpr int kRecentTrips = 64;
    std::array<int64_t, kRecentTrips> recentTrips_{};
    int tripCount_ = 0;
    int tripNext_ = 0;
};

}  // namespace zmx
