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
    PerSlot<int16_t> readStatus{};  // 0 white, 1 green, 2 red, 3 orange
    PerSlot<int16_t> rdcvGood{}, rdflgGood{}, rdtmpGood{};
    PerSlot<int16_t> thsdFlag{}, thsdLatched{};
    int16_t thermalCleared = 0;
    int16_t showValidOnly = 0;
    int16_t forceShowAll = 0;

    // --- identification and run state ---
    int16_t boardIdentified = 0;  // -1 true, 0 false
    int16_t continuousRunning = 0;
    int16_t suspendIdentify = 0;

    // --- transfer monitor ---
    int16_t monitorKind = 0;  // 0 cleared, 2 WRCFG, 3 RDCFG, 4..7 RDCV family, 8 RDFLG, 9 RDTMP
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
    int16_t readbackPending = 0;
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
