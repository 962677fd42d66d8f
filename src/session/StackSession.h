#pragma once
// A stack session: the state of one daisy-chained stack of ZMX7730 boards and the
// controller link it is reached through, with every device command the program knows.
// It needs no window: the window calls it and paints what it stored, a command line or
// a recording calls it and prints or keeps what it returned.
//
// How to use it:
//   ControllerLink link(makeLink("sim", {}, {}).backend);
//   StackSession session(link);
//   if (!session.startUp()) { ... session.lastIdentReply() says what answered ... }
//   session.state().lastBoardIndex = 9;              // ten boards in the stack
//   session.writeConfig(0, true);                    // board 1's image to the whole stack
//   session.startCellConversion(0, true, 0, "0");    // STCVAD, all cells, broadcast
//   BoardRead r = session.readCells(0, 0);           // RDCV of board 1
//
// Every method makes its transfers at once and returns when they are done (or timed out:
// 200 ms for the identification, 1000 ms otherwise). Results are stored in state() under
// the names the window has always used, returned, and handed to every listener. A command
// takes the board slot (0..9) it acts on and, where a command has both, its broadcast or
// addressed form; no state field steers it. The window passes its selected board and its
// broadcast switches, continuous mode the board it scans. Not thread safe: call it from
// one thread.

#include <QDateTime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/StackState.h"
#include "rules/CellStatus.h"
#include "rules/StartPollLogic.h"
#include "session/ReadEvents.h"

namespace zmx {

class ControllerLink;

// A write-only command (start or poll) as it went out.
struct StartResult {
    const ChipCommand* command = nullptr;
    WriteOnlyTransfer transfer;
};

// Boards whose thermal shutdown latched or cleared after a temperature read.
struct ThermalChanges {
    std::vector<int> latched;  // thsdFlag set: every cell code 7, lamp orange
    std::vector<int> cleared;  // latched earlier, flag now clear: codes back to 0
    bool any() const { return !latched.empty() || !cleared.empty(); }
};

// Called by continuousStep() at the points where a window repaints, with the state as it
// stands at that moment. A caller without a window passes none.
class StepHooks {
public:
    virtual ~StepHooks() = default;
    virtual void configRead(const BoardRead& read) { (void)read; }
    virtual void started(const StartResult& start) { (void)start; }
    virtual void cellsRead(const BoardRead& read, int selector) {
        (void)read;
        (void)selector;
    }
    virtual void tempsRead(const BoardRead& read, const ThermalChanges& thermal) {
        (void)read;
        (void)thermal;
    }
    virtual void flagsRead(const BoardRead& read) { (void)read; }
    virtual void datalogStamped() {}
    // After the position moved on and the flag rule ran for the board now served.
    virtual void stepDone() {}
};

class StackSession {
public:
    // The link must outlive the session.
    explicit StackSession(ControllerLink& link);

    StackState& state() { return st_; }
    const StackState& state() const { return st_; }
    ControllerLink& link() { return link_; }

    // Listeners receive every read, configuration write and identification (not owned).
    void addListener(SessionListener* listener);
    void removeListener(SessionListener* listener);
    // While held, no result reaches a listener: a controller that answers after a loss is read
    // before it is known to be the lost one. deliver() hands reads over once it is.
    void holdListeners(bool held) { held_ = held; }
    void deliver(const std::vector<BoardRead>& reads);
    // "Now" for time stamps; the system clock unless replaced (tests fix it).
    void setClock(std::function<QDateTime()> now) { now_ = std::move(now); }
    QDateTime now() const { return now_ ? now_() : QDateTime::currentDateTime(); }

    // ------------------------------------------------------------------ identification
    // One "IZ" exchange; true when the reply names a supported chip. Sets boardIdentified.
    bool identify();
    const std::string& lastIdentReply() const { return lastIdentReply_; }
    // Identification, then the state a new window starts from (default addresses 0x80
    // upward, every command addressed except WRCFG, default images, one board), then the
    // READ CONFIG of board 1. False when the controller is not identified: nothing else sent.
    bool startUp();
    // The state part of startUp() alone.
    void resetToDefaults();

    // ------------------------------------------------------------------ configuration
    // WRCFG of the slot's composed image (cfgImage), to the whole stack when broadcast;
    // records what every reached board now holds (cfgWritten).
    ConfigWrite writeConfig(int slot, bool broadcast);
    // RDCFG of the slot: lamp verdict, read-back texts and measure mode.
    BoardRead readConfig(int slot);
    // True where read-back byte k (0..5) of the slot differs from its composed image.
    bool readbackDiffers(int slot, int k) const;
    // RDCFG of every board of the stack in turn.
    std::vector<BoardRead> readConfigAll();

    // ------------------------------------------------------------------ start and poll
    // Cell conversion by kind (0 STCVAD, 1 STOWAD, 2 STCVDC, 3 STOWDC) with the low digit
    // ("0" all cells, "1".."6" a pair, "E"/"F"/"D" a self-test pattern), addressed to the
    // slot or broadcast.
    StartResult startCellConversion(int slot, bool broadcast, int kind, const std::string& lowDigit);
    StartResult startTempConversion(int slot, bool broadcast, const std::string& lowDigit);
    // PLADC (kind 0) or PLINT (kind 1): the frame stays open (pollPending 1) until
    // closeOpenFrame().
    StartResult sendPoll(int slot, bool broadcast, int kind);
    void closeOpenFrame();
    // The watchdog keep-alive: broadcast PLADC closed at once.
    void sendKeepAlivePoll();
    // True when the keep-alive poll is due this tick (counter 1, 3 or 5 while active).
    bool keepAlivePollDue() const;
    // "MI": the controller forces its SPI lines high for the standby current measurement.
    void sendLowCurrentStandby();
    // Every board of the stack to standby (CDC 0, default image) by one broadcast WRCFG,
    // every configuration read back, then "MI".
    void prepareLowCurrentStandby();

    // ------------------------------------------------------------------ reads
    // Selector: 0 RDCV, 1 RDCV ten-cell, 2 RDCVA, 3 RDCVB, 4 RDCVC, 5 RDCVC ten-cell. The
    // twelve- or ten-cell form follows the slot's configuration (cellReadSelector).
    BoardRead readCells(int slot, int selector);
    // The selector a cell read of the slot uses: RDCV and RDCVC in the form the board's
    // configuration gives (ten cells when CFGR0 bit 3 is set), whichever the caller asked
    // for; as asked while nothing is known of the board. A board sends as many bytes as its
    // own configuration says, so a read of any other length fails its PEC check.
    int cellReadSelector(int slot, int selector) const;
    // What the session knows of the slot; every read's cellStatus is worked out from it.
    const BoardStatusFacts& statusFacts(int slot) const { return facts_[static_cast<std::size_t>(slot)]; }
    BoardRead readFlags(int slot);
    // Also follows the thermal-shutdown bit when the PEC matched.
    BoardRead readTemps(int slot);
    // Latches or clears thermal shutdown of every board from its thsdFlag.
    ThermalChanges applyThermalStatus();
    // The flag rule (under-/over-voltage codes) for the slot from its last flag read.
    void deriveFlagStatus(int slot);

    // ------------------------------------------------------------------ self test
    // True when every cell code of the slot reads the pattern of the self-test
    // digit (0x555 for "E", 0xAAA for "F", 0xFFF for "D"); nothing when the digit is not a
    // pattern. All twelve codes count, also in ten-cell mode.
    std::optional<bool> cellSelfTestPassed(int slot) const;
    std::optional<bool> tempSelfTestPassed(int slot) const;

    // ------------------------------------------------------------------ continuous mode
    // The state part of starting and stopping the run (the window adds its controls).
    void beginContinuous();
    void endContinuous();
    // One tick's command group of continuous mode: a cell conversion and read, a
    // temperature conversion and read, or a flag read of the scanned board, then the
    // position moves on. Does nothing unless continuousRunning is 1.
    void continuousStep(StepHooks* hooks = nullptr);

private:
    BoardRead finishRead(BoardRead read);
    void notifyWrite(const ConfigWrite& write);
    // The facts a read adds to what the session knows of its board (good reads only).
    void learnFrom(const BoardRead& read);

    ControllerLink& link_;
    StackState st_;
    std::string lastIdentReply_;
    std::vector<SessionListener*> listeners_;
    bool held_ = false;
    std::function<QDateTime()> now_;
    // Per slot: the configuration the board holds (the latest of a write that reached it and
    // a read-back that passed its PEC check) and what its latest good reads said. Kept apart
    // from the window's status labels, which follow their own re-evaluation rules.
    std::array<BoardStatusFacts, kSlots> facts_{};
    std::array<bool, kSlots> configKnown_{};
};

}  // namespace zmx
