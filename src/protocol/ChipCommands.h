#pragma once
// The chip command table: every command the program sends to a ZMX7730, once. Frames,
// expected reply lengths, monitor captions and command PECs are all derived from it;
// no command byte or PEC is typed anywhere else in the program.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/StackState.h"

namespace zmx {

enum class ChipCommandId : int {
    WRCFG,
    RDCFG,
    RDCV,
    RDCV10,  // RDCV in ten-cell mode: fifteen data bytes
    RDCVA,
    RDCVB,
    RDCVC,
    RDCVC10,  // RDCVC in ten-cell mode: three data bytes
    RDFLG,
    RDTMP,
    STCVAD,
    STOWAD,
    STTMPAD,
    PLADC,
    PLINT,
    STCVDC,
    STOWDC,
};

struct ChipCommand {
    ChipCommandId id;
    std::string_view name;                // as the transfer monitor shows it ("RDCV")
    uint8_t code;                         // command byte; a start command's low digit comes from the caller
    int dataBytes;                        // data bytes that follow the command (WRCFG) or come back (reads)
    PerSlot<int16_t> StackState::*bcast;  // broadcast switch it follows, or nullptr (always addressed)
    MonitorKind monitorKind;              // what the monitor redraws it as (Cleared: only drawn once)
};

const ChipCommand& chipCommand(ChipCommandId id);

// "04" for RDCV: the command byte as two upper-case hex digits.
std::string commandCodeText(const ChipCommand& cmd);
// PEC of the command byte as two-digit text ("DC" for RDCV).
std::string commandPecText(const ChipCommand& cmd);
// Reply characters of a read: the four echoed header bytes, the data bytes and the PEC.
constexpr std::size_t readReplyChars(const ChipCommand& cmd) {
    return 2 * (4 + static_cast<std::size_t>(cmd.dataBytes) + 1);
}
// The addressed read frame of the command for a board address ("80").
std::string readFrameOf(const ChipCommand& cmd, std::string_view addrHex);

}  // namespace zmx
