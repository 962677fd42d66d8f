#include "rules/StartPollLogic.h"

#include <array>
#include <cctype>

#include "protocol/Frames.h"
#include "protocol/Hex.h"
#include "protocol/Pec.h"

namespace zmx {

namespace {

// Cell conversion starts by kind, polls by kind: rows of the chip command table.
constexpr std::array<ChipCommandId, 4> kCellConversions{ChipCommandId::STCVAD, ChipCommandId::STOWAD,
                                                        ChipCommandId::STCVDC, ChipCommandId::STOWDC};
constexpr std::array<ChipCommandId, 2> kPolls{ChipCommandId::PLADC, ChipCommandId::PLINT};

char highDigitOf(const WriteOnlyCommand& cmd) { return hexDigit(cmd.code >> 4); }

WriteOnlyTransfer transferOf(const StackState& st, int slot, bool broadcast, std::string code, bool closeFrame) {
    const auto s = static_cast<std::size_t>(slot);
    WriteOnlyTransfer t;
    t.mode = broadcast ? 1 : 0;
    const std::string& addr = st.boardAddressHex[s];
    t.text = closeFrame ? buildStartFrame(addr, code, t.mode == 1) : buildPollFrame(addr, code, t.mode == 1);
    t.cmdPec = PecOfHexByte(code);
    t.addrPec = PecOfHexByte(addr);
    t.code = std::move(code);
    return t;
}

}  // namespace

const WriteOnlyCommand& cellConversionCommand(int kind) {
    return chipCommand(kCellConversions[static_cast<std::size_t>(kind >= 0 && kind < 4 ? kind : 0)]);
}

const WriteOnlyCommand& tempConversionCommand() { return chipCommand(ChipCommandId::STTMPAD); }

const WriteOnlyCommand& pollCommand(int kind) { return chipCommand(kPolls[kind == 1 ? 1 : 0]); }

std::string commandByteText(char highDigit, std::string_view lowDigit) {
    const char low = lowDigit.empty() ? '0' : static_cast<char>(std::toupper(static_cast<unsigned char>(lowDigit[0])));
    return std::string{highDigit, low};
}

bool broadcastSwitchOn(const StackState& st, const WriteOnlyCommand& cmd, int slot) {
    return (st.*cmd.bcast)[static_cast<std::size_t>(slot)] == 1;
}

WriteOnlyTransfer startTransfer(const StackState& st, int slot, bool broadcast, const WriteOnlyCommand& cmd,
                                std::string_view lowDigit) {
    return transferOf(st, slot, broadcast, commandByteText(highDigitOf(cmd), lowDigit), true);
}

WriteOnlyTransfer pollTransfer(const StackState& st, int slot, bool broadcast, const WriteOnlyCommand& cmd) {
    // A poll is a whole command byte ("40", "50") and leaves its frame open.
    return transferOf(st, slot, broadcast, commandByteText(highDigitOf(cmd), "0"), false);
}

WriteOnlyTransfer startTransfer(const StackState& st, const WriteOnlyCommand& cmd, std::string_view lowDigit) {
    const int s = st.selectedBoard;
    return startTransfer(st, s, broadcastSwitchOn(st, cmd, s), cmd, lowDigit);
}

WriteOnlyTransfer pollTransfer(const StackState& st, const WriteOnlyCommand& cmd) {
    const int s = st.selectedBoard;
    return pollTransfer(st, s, broadcastSwitchOn(st, cmd, s), cmd);
}

void markCellReadingsStale(StackState& st) {
    for (int i = 0; i <= st.lastBoardIndex; ++i) {
        st.rdcvGood[static_cast<std::size_t>(i)] = 0;
        st.rdflgGood[static_cast<std::size_t>(i)] = 0;
    }
}

void markTempReadingsStale(StackState& st) {
    markTempReadingsStale(st, st.selectedBoard, st.bcastSTTMPAD[static_cast<std::size_t>(st.selectedBoard)] == 1);
}

void markTempReadingsStale(StackState& st, int slot, bool broadcast) {
    const auto s = static_cast<std::size_t>(slot);
    if (broadcast) {
        for (int i = 0; i <= st.lastBoardIndex; ++i) st.rdtmpGood[static_cast<std::size_t>(i)] = 0;
    } else {
        st.rdtmpGood[s] = 0;
    }
}

}  // namespace zmx
