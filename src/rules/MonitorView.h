#pragma once
// What the transfer monitor ("PACKET ERROR CODE ") shows for each kind of exchange:
// direction, command line, destination, the two header rows and the byte line.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/StackState.h"

namespace zmx {

struct MonitorView {
    std::string direction;      // Label25: "W R" or "R D"
    std::string commandLine;    // Label8(1)
    std::string destination;    // Label8(3)
    std::string header2;        // Label8(2), first header row
    std::string header0;        // Label8(0), second header row
    std::string byteLine;       // Text8
    bool mismatch = false;      // byte line on red
    bool keepByteLine = false;  // a hidden mismatch: Text8 keeps its text and colour
};

// " Address = 0x80 BRD#1" for the selected board.
std::string destinationText(const StackState& st);
std::string destinationText(const StackState& st, int slot);

// Start and poll commands. mode 1 = broadcast, 0 = addressed.
MonitorView commandTransferView(const StackState& st, std::string_view name, std::string_view code,
                                std::string_view cmdPec, std::string_view addrPec, int mode);

// WRCFG of the selected board (its wrcfgPec and broadcast switch).
MonitorView writeConfigView(const StackState& st);

// A read. Applies the "PEC Match Only" rule: a mismatch with forceShowAll = 1 first clears
// showValidOnly; a mismatch while showValidOnly is 1 leaves the byte line as it was.
MonitorView readTransferView(StackState& st, std::string_view name, std::string_view code, std::string_view cmdPecText,
                             std::string_view addrPec, uint8_t rxPec, uint8_t calcPec);
// The same for a read of the given slot (the form above: the selected board's).
MonitorView readTransferView(StackState& st, int slot, std::string_view name, std::string_view code,
                             std::string_view cmdPecText, std::string_view addrPec, uint8_t rxPec, uint8_t calcPec);

}  // namespace zmx
