#include "session/ReadTally.h"

#include <utility>

namespace zmx {

void ReadTally::onRead(const BoardRead& read) {
    if (read.slot < 0 || read.slot >= kSlots) return;
    const auto s = static_cast<std::size_t>(read.slot);
    ++boards_[s].reads;
    if (read.pecMatch) {
        boards_[s].lastGoodMs = read.utcMs;
        confirm();
    } else {
        ++unconfirmed_[s];
    }
}

void ReadTally::onIdentify(const std::string& reply, bool supported) {
    (void)reply;
    if (supported) confirm();
}

void ReadTally::confirm() {
    for (std::size_t s = 0; s < boards_.size(); ++s) boards_[s].failed += std::exchange(unconfirmed_[s], 0);
}

void ReadTally::discardUnconfirmed() {
    for (std::size_t s = 0; s < boards_.size(); ++s) boards_[s].reads -= std::exchange(unconfirmed_[s], 0);
}

BoardTally ReadTally::board(int slot) const {
    if (slot < 0 || slot >= kSlots) return {};
    BoardTally t = boards_[static_cast<std::size_t>(slot)];
    t.failed += unconfirmed_[static_cast<std::size_t>(slot)];
    return t;
}

bool ReadTally::anyFailure(int boardCount) const {
    for (int s = 0; s < boardCount && s < kSlots; ++s) {
        // A board read and never answered has failed reads too.
        if (board(s).failed > 0) return true;
    }
    return false;
}

}  // namespace zmx
