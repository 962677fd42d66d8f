#pragma once
// The command line's device sequences on a stack session: configuration written and
// verified, conversions started, polled and read as the command panel makes them, the
// self-test patterns, and the two recording paces. They decide nothing about output; the
// command line prints what they return.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/ConfigFile.h"
#include "session/StackSession.h"

namespace zmx {

// Waits for a conversion; the command line sleeps, tests count.
using WaitMs = std::function<void(int ms)>;

// After startUp(): the stack holds `boards` boards (1..10).
void setStackSize(StackSession& session, int boards);

// ------------------------------------------------------------------ configuration
struct ConfigVerification {
    std::vector<ConfigWrite> writes;
    std::vector<BoardRead> readbacks;  // every board the file names, in slot order
    std::vector<int> mismatched;       // boardSlots whose read-back differs or failed its PEC
    bool ok() const { return mismatched.empty(); }
};

// Writes the images (one broadcast write when every board of the stack gets the same
// image, else one addressed write per named board), reads each named board back and
// compares. The session's images, CDC and threshold codes follow the file.
ConfigVerification writeAndVerify(StackSession& session, const std::vector<std::optional<ConfigBytes>>& images);

// ------------------------------------------------------------------ reads
enum class ReadWhat { Cells, Flags, Temps };

struct BoardResult {
    BoardRead config;      // the RDCFG that told whether the board measures
    bool standby = false;  // CDC 0: converts nothing, the registers keep their old codes
    BoardRead read;        // the read asked for
};

// Reads the configuration of each board (for its CDC mode), starts the conversion (in
// broadcast form for more than one board), sends the poll, waits the longest measure time
// of the measuring boards, closes the poll frame and reads each board. Flags follow a
// cell conversion. The cell status codes and thermal latches follow as in the panel.
std::vector<BoardResult> convertAndRead(StackSession& session, ReadWhat what, const std::vector<int>& boardSlots,
                                        const WaitMs& wait);

// ------------------------------------------------------------------ self test
struct SelfTestVerdict {
    int slot = 0;
    bool standby = false;
    // Per pattern digit ("E", "F", "D"): cells and temperatures matched, with good PECs.
    std::vector<std::string> digits;
    std::vector<bool> cellsPassed, tempsPassed;
    bool passed() const;
};

std::vector<SelfTestVerdict> runSelfTest(StackSession& session, const std::vector<int>& boardSlots, const WaitMs& wait);

// ------------------------------------------------------------------ a lost controller
// After a command that failed: when its last transfer found the controller gone (the link
// closed its device), identifies once more and returns the line that says why (the link, the
// reply, the link's cause); empty when the controller answers, as after a bad PEC.
std::string lostControllerLine(StackSession& session);

// ------------------------------------------------------------------ recording paces
// Slots 0..lastBoardIndex whose last read-back configuration has CDC 0.
std::vector<int> standbySlots(const StackState& st);

// One 100 ms tick of the window's continuous mode: the keep-alive poll when due, the
// identification, one step of the sequence. False when the controller no longer answers.
bool windowTick(StackSession& session);

// One pass of the fast pace: broadcast cell conversion, wait, every board's cells; the same
// for temperatures; then every board's flags. Returns how many of its reads passed their PEC
// check (none: the controller may be gone).
// batchFrames writes every board's read frames of one kind in one text (see
// ControllerLink::prefetchReplies); off unless asked for.
int fastPass(StackSession& session, const WaitMs& wait, bool batchFrames = false);

// The longest cell measure time of the measuring boards of the stack (0 when all stand by).
int stackMeasureMs(const StackState& st);

}  // namespace zmx
