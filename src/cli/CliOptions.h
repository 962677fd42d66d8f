#pragma once
// The arguments of zmx7730-cli: the link and stack options every command shares, the
// command and its own options, and the help texts. Options and the command may come in
// any order; an option that does not belong to the command is an error.

#include <cstdint>
#include <string>
#include <vector>

namespace zmx {

// Exit status of the command line.
enum CliExit : int { kExitDone = 0, kExitFailure = 1, kExitUsage = 2 };

// A fault of the in-process simulated stack (--simulate only), as zmx7730-sim takes them.
struct SimFaultOption {
    enum Kind { Absent, Thermal, Cell, SelfTest, CorruptOneIn } kind = Absent;
    int slot = 0;  // 0 = the board at 0x80
    int cell = 0;  // 1..12
    int code = 0;
    double volts = 0;
};

struct CliOptions {
    // Shared options.
    std::string link;  // "sim", "serial:PATH", "ftdi", "d2xx"; empty = find one
    std::string tracePath;
    int simBoards = 10;
    std::string simId;
    std::vector<SimFaultOption> simFaults;
    int boards = 1;  // boards in the stack, 1..10
    bool json = false;
    bool reconnect = false;  // record: wait for a lost controller instead of ending
    bool help = false;
    bool version = false;

    // The command and its own options.
    std::string command;
    std::string operand;  // FILE of write-config, RECORDING of export/replay/list
    int board = 0;        // --board N (1..10); 0 = not given
    bool all = false;     // --all
    std::string configPath;
    std::string to;
    double durationS = 0;  // 0: until SIGINT/SIGTERM
    std::string pace = "window";
    bool batchFrames = false;  // --batch-frames: every board's reads of a kind in one write (fast pace)
    std::string label;
    std::string csvOut, xlsxOut;
    bool follow = false;
    int64_t recordingId = 0;  // 0: the latest

    std::string error;  // set when the arguments cannot be used
};

CliOptions parseCliArgs(const std::vector<std::string>& args);

// The board boardSlots a read command acts on: --board N, --all, or board 1.
std::vector<int> targetSlots(const CliOptions& o);

// True for the commands that talk to the stack (the others only read a recording).
bool commandNeedsDevice(const std::string& command);

std::string cliUsage();
// The help of one command; the general help for an unknown one.
std::string commandUsage(const std::string& command);

}  // namespace zmx
