#include "session/ReconnectWatch.h"

#include <cstdio>

namespace zmx {

namespace {

// The identification reply without the padding a controller may send after its text.
std::string trimmed(const std::string& s) {
    std::size_t end = s.size();
    while (end > 0 && (s[end - 1] == ' ' || s[end - 1] == '\r' || s[end - 1] == '\n' || s[end - 1] == '\0')) --end;
    return s.substr(0, end);
}

// "1, 2, 3" (boards numbered from 1 as in the window), "none" when empty.
std::string boardList(const std::vector<int>& boardSlots) {
    std::string out;
    for (int s : boardSlots) out += (out.empty() ? "" : ", ") + std::to_string(s + 1);
    return out.empty() ? "none" : out;
}

}  // namespace

void ReconnectWatch::start(const ControllerSeen& controller) {
    known_ = {trimmed(controller.reply), controller.usbSerial};
    lost_ = false;
}

ReconnectWatch::Event ReconnectWatch::identified(bool ok, const ControllerSeen& seen, int64_t nowMs) {
    if (!lost_) {
        if (ok) return Event::Answering;
        lost_ = true;
        lostAtMs_ = nowMs;
        return Event::Lost;
    }
    if (!ok) return Event::StillLost;
    candidate_ = {trimmed(seen.reply), seen.usbSerial};
    // Two adapters with serial numbers are told apart by them, whatever they answer.
    if (!known_.usbSerial.empty() && !seen.usbSerial.empty() && seen.usbSerial != known_.usbSerial)
        return refuse(Mismatch::UsbSerial, "USB serial " + seen.usbSerial + ", not " + known_.usbSerial);
    // Nothing known (lost before any success): any supported controller may be it.
    if (!known_.reply.empty() && candidate_.reply != known_.reply)
        return refuse(Mismatch::Identification,
                      "identification \"" + candidate_.reply + "\", not \"" + known_.reply + "\"");
    return Event::Candidate;
}

ReconnectWatch::Event ReconnectWatch::boardsRead(const std::vector<BoardRead>& reads, int64_t nowMs) {
    if (!lost_) return Event::Answering;
    BoardsAnswering now = nothingKnown();
    for (const BoardRead& r : reads)
        if (r.slot >= 0 && r.slot < kSlots) now[r.slot] = r.pecMatch ? 1 : 0;
    const bool sameAdapter = !known_.usbSerial.empty() && candidate_.usbSerial == known_.usbSerial;
    if (!sameAdapter) {
        // Only boards read now and known from before count: a board never read before the
        // loss says nothing either way.
        std::vector<int> before, after;
        bool differ = false;
        for (int s = 0; s < kSlots; ++s) {
            if (now[s] < 0 || boards_[s] < 0) continue;
            if (boards_[s] == 1) before.push_back(s);
            if (now[s] == 1) after.push_back(s);
            differ = differ || boards_[s] != now[s];
        }
        if (differ) return refuse(Mismatch::Boards, "boards " + boardList(after) + " answer, not " + boardList(before));
    }
    boards_ = now;
    takeBack(nowMs);
    return Event::Back;
}

void ReconnectWatch::onRead(const BoardRead& read) {
    // A read with no reply at all is the controller not answering, not the board; a reply
    // with a failed PEC is a board missing (the data line stays high) or a noisy one, so
    // one good read is enough to count a board as present.
    if (lost_ || read.reply.empty() || read.slot < 0 || read.slot >= kSlots) return;
    if (read.pecMatch) boards_[read.slot] = 1;
    else if (boards_[read.slot] < 0) boards_[read.slot] = 0;
}

ReconnectWatch::Event ReconnectWatch::refuse(Mismatch why, std::string text) {
    mismatch_ = why;
    mismatchText_ = std::move(text);
    return Event::Stranger;
}

void ReconnectWatch::takeBack(int64_t nowMs) {
    lost_ = false;
    lastGapMs_ = nowMs - lostAtMs_;
    // The serial number may be known now where it was not before (a tty found again).
    if (known_.usbSerial.empty()) known_.usbSerial = candidate_.usbSerial;
    if (known_.reply.empty()) known_.reply = candidate_.reply;
    mismatch_ = Mismatch::None;
    mismatchText_.clear();
}

std::string gapText(int64_t ms) {
    if (ms < 0) ms = 0;
    char buf[48];
    if (ms < 60000) std::snprintf(buf, sizeof buf, "%.1f s", static_cast<double>(ms) / 1000.0);
    else if (ms < 3600000)
        std::snprintf(buf, sizeof buf, "%d min %02d s", static_cast<int>(ms / 60000), static_cast<int>(ms / 1000 % 60));
    else
        std::snprintf(buf, sizeof buf, "%d h %02d min", static_cast<int>(ms / 3600000),
                      static_cast<int>(ms / 60000 % 60));
    return buf;
}

}  // namespace zmx
