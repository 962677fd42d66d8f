#pragma once
// Continuous mode walks the stack one command group per tick: for each board a cell
// conversion and read (step 0), a temperature conversion and read (step 1) and a flag
// read (step 2); the datalog variant adds an idle step 3. Boards run 0..lastBoardIndex
// cyclically, and a change of the board count takes effect at the next board change.

#include "model/StackState.h"

namespace zmx {

struct SequencePosition {
    int16_t step = 0;
    int16_t board = 0;
    constexpr bool operator==(const SequencePosition&) const = default;
};

// Steps per board: 3 normally, 4 in the datalog variant.
constexpr int16_t stepsPerBoard(bool datalog) { return datalog ? 4 : 3; }

// The position after one step has run.
constexpr SequencePosition advanceSequence(SequencePosition p, int16_t lastBoardIndex, bool datalog) {
    ++p.step;
    if (p.step >= stepsPerBoard(datalog)) {
        p.step = 0;
        ++p.board;
        if (p.board > lastBoardIndex) p.board = 0;
    }
    return p;
}

// The state continuousRunning takes when the button toggles it: a run stops, anything
// else starts (the poll and standby buttons set 1 first so the toggle always stops).
constexpr int16_t toggledRunState(int16_t running) {
    return running == 1 ? int16_t{0} : static_cast<int16_t>(running + 1);
}

// Zeroes the stored cell voltages (s*12+1 .. s*12+12) and temperature values
// (121+3s .. 123+3s) of every board in the stack, as a stopped run leaves them.
void zeroStoredVoltages(StackState& st);

// Datalog bookkeeping at the end of a step: once the sample counter passes the target it
// restarts at 1 and the log counts as complete.
void wrapDatalogSample(StackState& st);

}  // namespace zmx
