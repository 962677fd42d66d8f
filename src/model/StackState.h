#pragma once
// The window-wide state of the board stack: every variable the procedures of the
// main window share, grouped by the subsystem that owns it. Plain data, no behaviour;
// the window owns one instance and passes it by reference to the logic functions.

#include <array>
#include <cstdint>
#include <string>

namespace zmx {

constexpr int kSlots = 11;   // board slots 0..9 in use, slot 10 never filled
constexpr int kBoards = 10;  // slots that can hold a board
constexpr int kCellsPerBoard = 12;
constexpr int kCellArray = 151;                        // cellCodeHex / cellVolts: s*12+n (n 1..12), temps at 121+3s+k
constexpr int kStatusArray = kSlots * kCellsPerBoard;  // cellStatus: s*12+i (i 0..11)

// Board status lamp (readStatus): the values are the lamp codes the window has always used.
enum class LampState : int16_t { NoData = 0, PecMatch = 1, PecMismatch = 2, ThermalShutdown = 3 };

// What the transfer monitor shows last (monitorKind), so a board change can redraw it.
enum class MonitorKind : int16_t {
    Cleared = 0,
    WriteConfig = 2,
    ReadConfig = 3,
    Cells = 4,   // RDCV (twelve or ten cells)
    CellsA = 5,  // RDCVA
    CellsB = 6,  // RDCVB
    CellsC = 7,  // RDCVC
    Flags = 8,
    Temps = 9,
};

// Identification verdict (boardIdentified): -1 true, 0 false, as the identification returns it.
enum class Identified : int16_t { No = 0, Yes = -1 };

// The step variables of the read indicators (readbackPending, lastCellStep, lastTempStep):
// nothing pending, a start or write issued whose read is due, the read made. They stay
// int16_t fields because the indicators treat the three alike through one reference.
enum ReadStep : int16_t { kStepNone = 0, kStepIssued = 1, kStepRead = 2 };

template <typename T>
using PerSlot = std::array<T, kSlots>;
template <typename T, std::size_t N>
using PerSlotRow = std::array<std::array<T, N>, kSlots>;

struct StackState {
    // --- stack and addressing ---
    int16_t selectedBoard = 0;
    int16_t lastBoardIndex = 0;
    PerSlot<std::string> boardAddressHex{};

    // --- broadcast switches, 1 = broadcast form ---
    PerSlot<int16_t> bcastPLADC{}, bcastPLINT{}, bcastSTCVAD{}, bcastSTOWAD{}, bcastSTTMPAD{}, bcastWRCFG{},
        bcastSTCVDC{}, bcastSTOWDC{};

    // --- configuration images (two-digit upper-case hex texts) ---
    PerSlotRow<std::string, 6> cfgImage{};
    PerSlotRow<std::string, 6> cfgWritten{};
    PerSlotRow<std::string, 6> cfgReadback{};
    PerSlotRow<uint8_t, 7> rdcfgRxByte{};
    PerSlot<uint8_t> rdcfgRxPec{}, rdcfgCalcPec{}, wrcfgPec{};
    int16_t cfgViewIsReadback = 0;
    PerSlot<int16_t> measureMode{};
    int16_t tenCellMode = 0;

    // --- configuration model, thresholds, scope ---
    PerSlot<int16_t> cdcValue{}, vuvCode{}, vovCode{};
    int16_t configChanged = 0;
    int16_t globalScope = 1;

    // --- received data of the reads ---
    PerSlotRow<uint8_t, 19> rdcvRxByte{};
    PerSlotRow<uint8_t, 7> rdcvaRxByte{}, rdcvbRxByte{}, rdcvcRxByte{};
    PerSlot<uint8_t> rdcvRxPec{}, rdcvaRxPec{}, rdcvbRxPec{}, rdcvcRxPec{};
    PerSlot<uint8_t> rdcvCalcPec{}, rdcvaCalcPec{}, rdcvbCalcPec{}, rdcvcCalcPec{};
    PerSlotRow<uint8_t, 4> rdflgRxByte{};
    PerSlot<uint8_t> rdflgRxPec{}, rdflgCalcPec{};
    PerSlotRow<uint8_t, 6> rdtmpRxByte{};
    PerSlot<uint8_t> rdtmpRxPec{}, rdtmpCalcPec{};
    PerSlotRow<std::string, 3> flgrText{};
    std::array<std::string, kCellArray> cellCodeHex{};
    std::array<float, kCellArray> cellVolts{};

    // --- request and reply texts of the last transfer of each kind ---
    std::string txConfig, txCommand, txTemp, txFlags, txIdent;
    std::string rxConfig, rxFlags, rxTemps, rxCells;

    // --- read status and freshness ---
    PerSlot<LampState> readStatus{};  // white, green, red, orange lamp
    PerSlot<int16_t> rdcvGood{}, rdflgGood{}, rdtmpGood{};
    PerSlot<int16_t> thsdFlag{}, thsdLatched{};
    // 1 after a flag read whose PEC mismatched while "PEC Match Only" hid it: the flag
    // rule leaves the board's cell status codes as they are until the next flag read.
    PerSlot<int16_t> flagStatusHeld{};
    int16_t thermalCleared = 0;
    int16_t showValidOnly = 0;
    int16_t forceShowAll = 0;

    // --- identification and run state ---
    Identified boardIdentified = Identified::No;
    int16_t continuousRunning = 0;
    int16_t suspendIdentify = 0;

    // --- transfer monitor ---
    MonitorKind monitorKind = MonitorKind::Cleared;
    uint8_t monitorCellSelector = 0;

    // --- start and poll commands ---
    std::string cellSelectDigit = "0";
    std::string tempSelectDigit = "0";
    std::string selfTestDigit = "E";
    int16_t pollPending = 0;

    // --- cell display ---
    std::array<int16_t, kStatusArray> cellStatus{};
    PerSlotRow<int16_t, 12> cellDcc{}, cellMask{};
    int16_t cellHexView = 0;
    int16_t singleCellMode = 0;

    // --- command panel ---
    int16_t tempHexView = 0;
    int16_t cellSelfTestPending = 0;
    int16_t tempSelfTestPending = 0;
    int16_t readbackPending = kStepNone;  // ReadStep of READ CONFIG after a write
    int16_t lastCellStep = 0;
    int16_t lastTempStep = 0;

    // --- read indicators ---
    PerSlot<int16_t> cellReadPending{}, tempReadPending{}, cfgReadPending{};

    // --- continuous mode and keep-alive ---
    int16_t scanBoard = 0;
    int16_t sequenceStep = 0;
    int16_t datalogArmed = 0;
    int32_t datalogSample = 0, datalogTarget = 0;
    int16_t datalogDone = 0;
    float datalogSeconds = 0.0f;
    int32_t datalogSamplesShown = 0;
    std::string stampTimeDate, stampDateTime;
    std::string setupStamp;
    float setupSeconds = 0.0f;
    int32_t setupSamples = 0;
    int16_t keepAliveActive = 0;
    int16_t keepAliveCounter = 0;
};

// The slot that reads and one-board status operations act on: the scanned board while
// continuous mode runs, the selected board otherwise.
inline int servedBoard(const StackState& st) { return st.continuousRunning == 1 ? st.scanBoard : st.selectedBoard; }

}  // namespace zmx
