#pragma once
// What the stack session hands to whoever listens (the window, a recording store, the
// stack view, the command line) after each device command: one BoardRead per read of one
// board, one ConfigWrite per configuration write. Plain values only, no window and no
// state struct, so a listener can keep them, queue them to another thread or store them.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zmx {

enum class ReadKind : int16_t { Config = 0, Cells = 1, Flags = 2, Temps = 3 };

struct BoardRead {
    int64_t utcMs = 0;    // time of the reply, milliseconds since 1970-01-01 UTC
    int slot = 0;         // board slot 0..9 ("BRD# 1" is slot 0)
    std::string address;  // "80"
    ReadKind kind = ReadKind::Cells;
    std::string command;        // "RDCFG", "RDCV", "RDCVA", "RDCVB", "RDCVC", "RDFLG", "RDTMP"
    std::string request;        // controller text sent
    std::string reply;          // reply text exactly as received (may be short or junk)
    std::vector<uint8_t> data;  // data bytes cut from the reply (missing characters read 0)
    uint8_t rxPec = 0;          // PEC received after the data bytes
    uint8_t calcPec = 0;        // PEC computed over the data bytes
    bool pecMatch = false;
    int64_t roundTripUs = 0;  // time the transfer took, for link health

    // Decoded values; only the members of the read's kind are filled.
    int firstCell = 1;                  // Cells: first cell the variant carries (1..12)
    int cellCount = 0;                  // Cells: how many cells it carries (0 otherwise)
    std::array<int, 12> cellCodes{};    // Cells: 12-bit codes of cells 1..12
    std::array<float, 12> cellVolts{};  // Cells: (code - 512) * 0.0015
    std::array<uint8_t, 3> flags{};     // Flags: FLGR0..FLGR2
    std::array<int, 3> tempCodes{};     // Temps: ETMP1, ETMP2, ITMP
    std::array<float, 3> tempVolts{};   // Temps: on the same volt scale as the cells
    int thermalBit = 0;                 // Temps: thermal shutdown bit of the reply
    std::array<uint8_t, 6> config{};    // Config: CFGR0..CFGR5 as read back

    // The board's twelve cell status codes (0..7) once the command that made this read has
    // derived them, and the board's lamp state (0 no data, 1 match, 2 mismatch, 3 thermal).
    std::array<int16_t, 12> cellStatus{};
    int16_t lampState = 0;
};

struct ConfigWrite {
    int64_t utcMs = 0;
    int slot = 0;                    // the board whose image went out
    std::string address;             // its address ("80")
    bool broadcast = false;          // broadcast form: every board of the stack took it
    std::array<uint8_t, 6> bytes{};  // CFGR0..CFGR5 written
    std::string request;             // controller text sent
};

// Receives the session's results. Called on the thread that runs the session (the UI
// thread in the window), right after the command; must not block.
class SessionListener {
public:
    virtual ~SessionListener() = default;
    virtual void onRead(const BoardRead& read) { (void)read; }
    virtual void onConfigWrite(const ConfigWrite& write) { (void)write; }
    // Every identification exchange: the reply text and whether it named a supported chip.
    virtual void onIdentify(const std::string& reply, bool supported) {
        (void)reply;
        (void)supported;
    }
    // A keep-alive poll went out in broadcast form to the boards of the stack (1..10).
    virtual void onKeepAlive(int64_t utcMs, int boards) {
        (void)utcMs;
        (void)boards;
    }
};

}  // namespace zmx
