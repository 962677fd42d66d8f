#include "protocol/ChipCommands.h"

#include <array>

#include "protocol/Frames.h"
#include "protocol/Hex.h"
#include "protocol/Pec.h"

namespace zmx {

namespace {

using S = StackState;
using K = MonitorKind;
using Id = ChipCommandId;

// In the order of ChipCommandId.
constexpr std::array<ChipCommand, 17> kChipCommands{{
    {Id::WRCFG, "WRCFG", 0x01, 6, &S::bcastWRCFG, K::WriteConfig},
    {Id::RDCFG, "RDCFG", 0x02, 6, nullptr, K::ReadConfig},
    {Id::RDCV, "RDCV", 0x04, 18, nullptr, K::Cells},
    {Id::RDCV10, "RDCV", 0x04, 15, nullptr, K::Cells},
    {Id::RDCVA, "RDCVA", 0x06, 6, nullptr, K::CellsA},
    {Id::RDCVB, "RDCVB", 0x08, 6, nullptr, K::CellsB},
    {Id::RDCVC, "RDCVC", 0x0A, 6, nullptr, K::CellsC},
    {Id::RDCVC10, "RDCVC", 0x0A, 3, nullptr, K::CellsC},
    {Id::RDFLG, "RDFLG", 0x0C, 3, nullptr, K::Flags},
    {Id::RDTMP, "RDTMP", 0x0E, 5, nullptr, K::Temps},
    {Id::STCVAD, "STCVAD", 0x10, 0, &S::bcastSTCVAD, K::Cleared},
    {Id::STOWAD, "STOWAD", 0x20, 0, &S::bcastSTOWAD, K::Cleared},
    {Id::STTMPAD, "STTMPAD", 0x30, 0, &S::bcastSTTMPAD, K::Cleared},
    {Id::PLADC, "PLADC", 0x40, 0, &S::bcastPLADC, K::Cleared},
    {Id::PLINT, "PLINT", 0x50, 0, &S::bcastPLINT, K::Cleared},
    {Id::STCVDC, "STCVDC", 0x60, 0, &S::bcastSTCVDC, K::Cleared},
    {Id::STOWDC, "STOWDC", 0x70, 0, &S::bcastSTOWDC, K::Cleared},
}};

constexpr bool tableInIdOrder() {
    for (std::size_t i = 0; i < kChipCommands.size(); ++i)
        if (static_cast<std::size_t>(kChipCommands[i].id) != i) return false;
    return true;
}
static_assert(tableInIdOrder(), "kChipCommands must list the commands in the order of ChipCommandId");

}  // namespace

const ChipCommand& chipCommand(ChipCommandId id) { return kChipCommands[static_cast<std::size_t>(id)]; }

std::string commandCodeText(const ChipCommand& cmd) { return byteText(cmd.code); }

std::string commandPecText(const ChipCommand& cmd) { return byteText(pecOfByte(cmd.code)); }

std::string readFrameOf(const ChipCommand& cmd, std::string_view addrHex) {
    return buildReadFrame(addrHex, commandCodeText(cmd), cmd.dataBytes);
}

}  // namespace zmx
