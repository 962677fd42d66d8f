#pragma once
// What a recording holds besides its reads: the context it was made in, the summary a
// list of recordings shows, and a stored read or configuration write with its row id.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "session/ReadEvents.h"

namespace zmx {

struct StackState;

// One board of the stack as it stood when the recording began.
struct BoardContext {
    int slot = 0;                             // 0..9
    std::string address;                      // "80"
    std::array<uint8_t, 6> configWritten{};   // CFGR0..CFGR5 last written
    std::array<uint8_t, 6> configReadBack{};  // CFGR0..CFGR5 last read back
    int vuvCode = 0;                          // under-voltage threshold code (CFGR4)
    int vovCode = 0;                          // over-voltage threshold code (CFGR5)
    int cdc = 0;                              // CDC mode (0 = standby, converts nothing)
};

struct RecordingContext {
    std::string programVersion;  // filled with this build's version when empty
    std::string link;            // "sim", "serial:/dev/ttyUSB0", "postgres bench" ...
    std::string controllerId;    // identification reply of the controller
    int boardCount = 1;          // boards in the stack (1..10)
    std::vector<BoardContext> boards;
    std::string label;       // free text given by the user
    std::string host;        // bench host name; this machine's when empty
    int64_t startUtcMs = 0;  // set by the writer when 0
};

// The context of a session's stack as it stands now (boards 0..lastBoardIndex).
RecordingContext contextFromState(const StackState& st, const std::string& link, const std::string& controllerId,
                                  const std::string& label);

// How a recording ended. Open: a writer is still adding to it.
enum class RecordingEnd : int {
    Open = 0,
    Finished = 1,        // its duration ran out, or it was stopped (SIGINT, SIGTERM, window closed)
    Interrupted = 2,     // its writer was killed: found open with no writer behind it
    ControllerLost = 3,  // the controller stopped answering and did not come back
    DatabaseLost = 4,    // the database stopped answering and rows were lost at the close
    Unknown = 5,         // made by a program that did not store how recordings end
};
// "open", "finished", "interrupted", "controller lost", "database lost", "unknown"
const char* recordingEndText(RecordingEnd end);

// One line of a list of recordings.
struct RecordingInfo {
    int64_t id = 0;
    int64_t startUtcMs = 0;
    int64_t endUtcMs = 0;  // last row's time (0 while nothing was recorded)
    std::string host;
    std::string label;
    int boards = 0;
    int64_t rows = 0;  // board reads kept
    RecordingEnd end = RecordingEnd::Open;
    int64_t rowsDropped = 0;  // rows the writer counted as lost (stored at its close)
};

struct StoredRead {
    int64_t rowId = 0;  // increases with every read of a database; replay resumes after it
    BoardRead read;
};

struct StoredConfigWrite {
    int64_t rowId = 0;
    ConfigWrite write;
};

// "2026-07-12T14:05:09.123Z"
std::string isoUtc(int64_t utcMs);
// The same into out (32 characters at least); returns its length.
std::size_t isoUtc(int64_t utcMs, char* out);

}  // namespace zmx
