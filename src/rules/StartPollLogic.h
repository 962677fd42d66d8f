#pragma once
// The write-only chip commands: cell and temperature conversion starts and the two polls.
// Each names its command byte, its monitor name and the broadcast switch it follows.

#include <string>
#include <string_view>

#include "model/StackState.h"
#include "protocol/ChipCommands.h"

namespace zmx {

// A row of the chip command table: its name as the monitor shows it, its command byte
// (start commands: the caller adds the low digit) and the broadcast switch it follows,
// read for the selected board.
using WriteOnlyCommand = ChipCommand;

// Cell conversion starts by kind: 0 STCVAD, 1 STOWAD, 2 STCVDC, 3 STOWDC.
const WriteOnlyCommand& cellConversionCommand(int kind);
const WriteOnlyCommand& tempConversionCommand();
// Polls by kind: 0 PLADC ("40"), 1 PLINT ("50").
const WriteOnlyCommand& pollCommand(int kind);

// The command byte text: high digit and the caller's low digit (one hex digit, upper case;
// a missing digit reads as "0").
std::string commandByteText(char highDigit, std::string_view lowDigit);

// The controller text of a start or a poll for the selected board, with the flag and the
// PECs the monitor shows.
struct WriteOnlyTransfer {
    std::string text;
    std::string code;     // CC
    std::string cmdPec;   // PEC(CC)
    std::string addrPec;  // PEC(AA) of the selected board
    int mode = 0;         // 1 broadcast, 0 addressed
};
WriteOnlyTransfer startTransfer(const StackState& st, const WriteOnlyCommand& cmd, std::string_view lowDigit);
WriteOnlyTransfer pollTransfer(const StackState& st, const WriteOnlyCommand& cmd);
// The same for the given slot in the given form, whatever the switches say.
WriteOnlyTransfer startTransfer(const StackState& st, int slot, bool broadcast, const WriteOnlyCommand& cmd,
                                std::string_view lowDigit);
WriteOnlyTransfer pollTransfer(const StackState& st, int slot, bool broadcast, const WriteOnlyCommand& cmd);
// True when the slot's switch puts the command in broadcast form.
bool broadcastSwitchOn(const StackState& st, const WriteOnlyCommand& cmd, int slot);

// A cell conversion makes the cell and flag readings of every board of the stack stale.
void markCellReadingsStale(StackState& st);
// A temperature conversion makes the readings stale of every board when it was broadcast,
// of the selected board only when it was addressed.
void markTempReadingsStale(StackState& st);
// The same after a temperature conversion of the slot in the given form.
void markTempReadingsStale(StackState& st, int slot, bool broadcast);

}  // namespace zmx
