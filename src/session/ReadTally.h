#pragma once
// Counts, per board, the reads of a run and those that failed (PEC mismatch or no reply),
// with the time of the last good one: what a recording reports at its end and what decides
// its exit status.
//
// A failed read counts against its board only once the controller is known to have been
// there: a later good read or a supported identification confirms it. When the controller
// is found lost, the failures since the last confirmation are the loss's, not the boards',
// and discardUnconfirmed() forgets them (the loss is reported on its own).

#include <array>
#include <cstdint>
#include <string>

#include "session/ReadEvents.h"

namespace zmx {

struct BoardTally {
    int64_t reads = 0;       // reads of the board, failed ones included
    int64_t failed = 0;      // PEC mismatch or no reply
    int64_t lastGoodMs = 0;  // UTC ms of the last read that passed its check; 0: none
    bool answered() const { return lastGoodMs != 0; }
};

class ReadTally : public SessionListener {
public:
    static constexpr int kSlots = 10;

    void onRead(const BoardRead& read) override;
    void onIdentify(const std::string& reply, bool supported) override;

    // Forgets the failures no exchange has confirmed since (see above).
    void discardUnconfirmed();

    // Failures still unconfirmed included: at the end of a run they stand.
    BoardTally board(int slot) const;
    // Some read of boards 0..boardCount-1 failed (a board that never answered has).
    bool anyFailure(int boardCount) const;

private:
    void confirm();
    std::array<BoardTally, kSlots> boards_{};
    std::array<int64_t, kSlots> unconfirmed_{};
};

}  // namespace zmx
