#pragma once
// What zmx7730-cli prints: a readable table per command, or with --json one JSON document
// whose fields name the same values (volts as numbers, bytes as "E1" texts, boards 1..10).

#include <string>
#include <vector>

#include "cli/StackCommands.h"
#include "record/RecordTypes.h"
#include "session/ReadEvents.h"
#include "session/ReadTally.h"

namespace zmx {

std::string formatIdentify(const std::string& reply, bool supported, const std::string& link, bool json);
std::string formatConfigReads(const std::vector<BoardRead>& reads, bool json);
std::string formatVerification(const ConfigVerification& v, bool json);
std::string formatBoardResults(ReadWhat what, const std::vector<BoardResult>& results, bool json);
std::string formatSelfTest(const std::vector<SelfTestVerdict>& verdicts, bool json);

// "board 2 (0x81) is in standby (CDC 0) and converts nothing; ..." for the boardSlots given;
// empty when there are none.
std::string standbyNotice(const std::vector<int>& boardSlots);

// "board 3 (0x82) does not answer: ..." for a board whose read failed its check, with what
// came back.
std::string silentBoardLine(const BoardRead& read);

// "board 1 (0x80): 412 reads, 0 failed, last good read 2024-05-01T09:12:33.512Z": one board's
// figures at the end of a recording.
std::string boardTallyLine(int slot, const std::string& address, const BoardTally& tally);

// One recorded read as a line of replay: time, board, command, verdict and its values.
std::string formatReplayRow(int64_t rowId, const BoardRead& read, bool json);

// The recordings of a database, oldest first.
std::string formatRecordingList(const std::vector<RecordingInfo>& recordings, bool json);

// Cells with their under- (UV) and over-voltage (OV) flag set, from the three flag bytes.
std::vector<int> flaggedCells(const std::array<uint8_t, 3>& flags, bool overVoltage);

}  // namespace zmx
