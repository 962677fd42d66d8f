#include "session/StackSession.h"

#include <algorithm>
#include <chrono>

#include "link/ControllerLink.h"
#include "protocol/Frames.h"
#include "protocol/Hex.h"
#include "protocol/Identification.h"
#include "protocol/ReadDecode.h"
#include "protocol/ReplyParsers.h"
#include "rules/CellStatus.h"
#include "rules/CommandPanel.h"
#include "rules/ContinuousSequence.h"
#include "rules/DatalogStamp.h"
#include "rules/KeepAlive.h"
#include "rules/ReadConfigLogic.h"
#include "rules/ReadVerdicts.h"
#include "rules/SelfTestPatterns.h"
#include "rules/WriteConfigLogic.h"
#include "session/BoardReadOf.h"
#include "session/StackDefaults.h"

namespace zmx {

namespace {

using Clock = std::chrono::steady_clock;

int64_t microsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
}

}  // namespace

StackSession::StackSession(ControllerLink& link) : link_(link) {}

void StackSession::addListener(SessionListener* listener) {
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void StackSession::removeListener(SessionListener* listener) { std::erase(listeners_, listener); }

void StackSession::deliver(const std::vector<BoardRead>& reads) {
    for (const BoardRead& r : reads)
        for (SessionListener* l : listeners_) l->onRead(r);
}

void StackSession::learnFrom(const BoardRead& read) {
    if (read.slot < 0 || read.slot >= kSlots) return;
    const auto s = static_cast<std::size_t>(read.slot);
    BoardStatusFacts& f = facts_[s];
    switch (read.kind) {
        case ReadKind::Config:
            if (!read.pecMatch) return;
            f.config = read.config;
            configKnown_[s] = true;
            break;
        case ReadKind::Cells:
            // A failed read leaves its cells "not read": its values are what arrived, not the cells'.
            for (int i = read.firstCell - 1; i < read.firstCell - 1 + read.cellCount && i < kCellsPerBoard; ++i)
                if (i >= 0) f.cellRead[static_cast<std::size_t>(i)] = read.pecMatch;
            break;
        case ReadKind::Flags:
            if (read.pecMatch) f.flags = read.flags;
            break;
        case ReadKind::Temps:
            if (read.pecMatch) f.thermal = read.thermalBit != 0;
            break;
    }
}

BoardRead StackSession::finishRead(BoardRead read) {
    read.utcMs = now().toMSecsSinceEpoch();
    // The read's status is that of its board after this read, by the facts of good reads only,
    // whenever the window re-evaluates its own labels.
    learnFrom(read);
    read.cellStatus = cellStatusFrom(facts_[static_cast<std::size_t>(read.slot)]);
    read.lampState = static_cast<int16_t>(st_.readStatus[read.slot]);
    if (!held_)
        for (SessionListener* l : listeners_) l->onRead(read);
    return read;
}

void StackSession::notifyWrite(const ConfigWrite& write) {
    if (!held_)
        for (SessionListener* l : listeners_) l->onConfigWrite(write);
}

// ---------------------------------------------------------------------- identification

bool StackSession::identify() {
    st_.txIdent = "IZ";
    lastIdentReply_ = link_.Identify();
    const bool supported = identificationVerdict(lastIdentReply_) == -1;
    st_.boardIdentified = supported ? Identified::Yes : Identified::No;
    if (!held_)
        for (SessionListener* l : listeners_) l->onIdentify(lastIdentReply_, supported);
    return supported;
}

void StackSession::resetToDefaults() {
    st_.forceShowAll = 0;
    st_.datalogDone = 0;
    st_.datalogSample = 0;
    st_.stampTimeDate.clear();
    st_.stampDateTime.clear();
    setDefaultAddressing(st_);
    for (int s = 0; s < kBoards; ++s) {
        st_.cdcValue[s] = 0;
        st_.cfgImage[s] = {"E0", "00", "00", "00", "00", "00"};
        st_.vuvCode[s] = 0;
        st_.vovCode[s] = 0;
    }
    st_.continuousRunning = 0;
    st_.globalScope = 1;
    st_.selectedBoard = 0;
    st_.lastBoardIndex = 0;
    for (int s = 0; s < kSlots; ++s) {
        st_.rdcvGood[s] = st_.measureMode[s] = st_.rdflgGood[s] = st_.rdtmpGood[s] = 0;
        st_.thsdFlag[s] = st_.thsdLatched[s] = 0;
    }
    clearReceivedData(st_);
    st_.cfgViewIsReadback = 0;
    st_.cfgWritten[0][0].clear();
    facts_ = {};
    configKnown_ = {};
    st_.lastCellStep = 0;
    st_.lastTempStep = 0;
    st_.selfTestDigit = "E";
    st_.cellSelectDigit = "0";
    st_.tempSelectDigit = "0";
    st_.suspendIdentify = 0;
    st_.pollPending = 0;
    st_.singleCellMode = 0;
    st_.cellHexView = 0;
    st_.tempHexView = 0;
}

bool StackSession::startUp() {
    if (!identify()) return false;
    resetToDefaults();
    st_.showValidOnly = 0;
    readConfig(0);
    return true;
}

// ---------------------------------------------------------------------- configuration

ConfigWrite StackSession::writeConfig(int slot, bool broadcast) {
    const int s = slot;
    st_.wrcfgPec[s] = textToByte(PecOfConfig(st_, s));
    st_.txConfig = wrcfgFrame(st_, s, broadcast);
    link_.SendOnly(st_.txConfig);
    // The read-back of an earlier RDCFG no longer tells what the boards hold.
    st_.cfgViewIsReadback = 0;
    recordWrite(st_, s, broadcast);

    ConfigWrite w;
    w.utcMs = now().toMSecsSinceEpoch();
    w.slot = s;
    w.address = st_.boardAddressHex[s];
    w.broadcast = broadcast;
    for (int k = 0; k < 6; ++k) w.bytes[k] = textToByte(st_.cfgImage[s][k]);
    w.request = st_.txConfig;
    // Every board the frame reached now holds these bytes (a broadcast reaches the stack).
    for (int i = w.broadcast ? 0 : s; i <= (w.broadcast ? st_.lastBoardIndex : s); ++i) {
        facts_[static_cast<std::size_t>(i)].config = w.bytes;
        configKnown_[static_cast<std::size_t>(i)] = true;
    }
    notifyWrite(w);
    return w;
}

BoardRead StackSession::readConfig(int slot) {
    const int s = slot;
    st_.txConfig = rdcfgFrame(st_, s);
    const auto start = Clock::now();
    st_.rxConfig = link_.SendAndReceive(st_.txConfig, kRdcfgReplyChars);
    const int64_t us = microsSince(start);
    const ParsedReply p = parseConfigReply(st_.rxConfig);
    storeConfigRead(st_, s, p);
    applyLampVerdict(st_, s, p.pecMatch());
    storeReadback(st_, s, p.data);
    BoardRead r = configReadOf(st_, s, p);
    r.roundTripUs = us;
    return finishRead(std::move(r));
}

bool StackSession::readbackDiffers(int slot, int k) const { return zmx::readbackDiffers(st_, slot, k); }

std::vector<BoardRead> StackSession::readConfigAll() {
    std::vector<BoardRead> reads;
    for (int s = 0; s <= st_.lastBoardIndex; ++s) reads.push_back(readConfig(s));
    return reads;
}

// ---------------------------------------------------------------------- start and poll

StartResult StackSession::startCellConversion(int slot, bool broadcast, int kind, const std::string& lowDigit) {
    const WriteOnlyCommand& cmd = cellConversionCommand(kind);
    StartResult r{&cmd, startTransfer(st_, slot, broadcast, cmd, lowDigit)};
    st_.txCommand = r.transfer.text;
    link_.SendOnly(st_.txCommand);
    // Every board's earlier cell and flag readings predate this conversion, addressed or not.
    markCellReadingsStale(st_);
    // Their cells count as not read until read again. The flags of the latest good flag read
    // stay: a row whose flag read is still to come shows the faults the board last reported.
    for (BoardStatusFacts& f : facts_) f.cellRead = {};
    return r;
}

StartResult StackSession::startTempConversion(int slot, bool broadcast, const std::string& lowDigit) {
    const WriteOnlyCommand& cmd = tempConversionCommand();
    StartResult r{&cmd, startTransfer(st_, slot, broadcast, cmd, lowDigit)};
    st_.txTemp = r.transfer.text;
    link_.SendOnly(st_.txTemp);
    markTempReadingsStale(st_, slot, broadcast);
    return r;
}

StartResult StackSession::sendPoll(int slot, bool broadcast, int kind) {
    const WriteOnlyCommand& cmd = pollCommand(kind);
    StartResult r{&cmd, pollTransfer(st_, slot, broadcast, cmd)};
    st_.txCommand = r.transfer.text;
    link_.SendOnly(st_.txCommand);
    // The frame stays open until the next command closes it.
    st_.pollPending = 1;
    return r;
}

void StackSession::closeOpenFrame() {
    st_.txCommand = std::string(kCloseFrameText);
    link_.CloseOpenFrame();
    st_.pollPending = 0;
}

void StackSession::sendKeepAlivePoll() {
    link_.SendOnly(keepAlivePollFrame());
    const int64_t t = now().toMSecsSinceEpoch();
    if (!held_)
        for (SessionListener* l : listeners_) l->onKeepAlive(t, st_.lastBoardIndex + 1);
}

bool StackSession::keepAlivePollDue() const { return zmx::keepAlivePollDue(st_.keepAliveActive, st_.keepAliveCounter); }

void StackSession::sendLowCurrentStandby() {
    st_.txCommand = std::string(kLowCurrentText);
    link_.SendLowCurrentStandby();
}

void StackSession::prepareLowCurrentStandby() {
    resetImagesForStandby(st_);
    for (int s = 0; s <= st_.lastBoardIndex; ++s) st_.cdcValue[s] = 0;
    // One broadcast write of the selected board's (now default) image reaches every board.
    writeConfig(st_.selectedBoard, true);
    st_.configChanged = 0;
    for (int s = 0; s <= st_.lastBoardIndex; ++s) evaluateCellStatus(st_, s);
    readConfigAll();
    sendLowCurrentStandby();
    st_.suspendIdentify = 1;
}

// ---------------------------------------------------------------------- reads

int StackSession::cellReadSelector(int slot, int selector) const {
    selector = cellSelectorInRange(selector);
    if (slot < 0 || slot >= kSlots || !configKnown_[static_cast<std::size_t>(slot)]) return selector;
    const bool ten = (facts_[static_cast<std::size_t>(slot)].config[0] & 0x08) != 0;
    if (selector == 0 || selector == 1) return ten ? 1 : 0;
    if (selector == 4 || selector == 5) return ten ? 5 : 4;
    return selector;  // RDCVA and RDCVB carry four cells in either form
}

BoardRead StackSession::readCells(int slot, int selector) {
    const int s = slot;
    // The byte rows of the variants are sized for their own selectors only.
    selector = cellReadSelector(s, selector);
    const CellReadVariant& v = cellReadVariant(selector);
    st_.txCommand = readFrameOf(v.cmd(), st_.boardAddressHex[s]);
    const auto start = Clock::now();
    st_.rxCells = link_.SendAndReceive(st_.txCommand, replyLength(st_.txCommand));
    const int64_t us = microsSince(start);
    const ParsedReply p = parseCellReply(st_.rxCells, selector);
    // The values are replaced whatever the verdict: a bad read shows what arrived.
    storeCellRead(st_, s, selector, p);
    applyCellReadVerdict(st_, s, p.pecMatch());
    BoardRead r = cellReadOf(st_, s, p);
    r.roundTripUs = us;
    return finishRead(std::move(r));
}

BoardRead StackSession::readFlags(int slot) {
    const int s = slot;
    st_.txFlags = readFrameOf(chipCommand(ChipCommandId::RDFLG), st_.boardAddressHex[s]);
    const auto start = Clock::now();
    st_.rxFlags = link_.SendAndReceive(st_.txFlags, replyLength(st_.txFlags));
    const int64_t us = microsSince(start);
    const ParsedReply p = parseFlagReply(st_.rxFlags);
    storeFlagRead(st_, s, p);
    const bool match = p.pecMatch();
    applyFlagReadVerdict(st_, s, match);
    // A corrupted flag reply hidden by "PEC Match Only" may not set or clear an under- or
    // over-voltage code; its boxes still show what arrived.
    st_.flagStatusHeld[s] = (!match && st_.showValidOnly == 1) ? 1 : 0;
    BoardRead r = flagReadOf(st_, s, p);
    r.roundTripUs = us;
    return finishRead(std::move(r));
}

BoardRead StackSession::readTemps(int slot) {
    const int s = slot;
    st_.txTemp = readFrameOf(chipCommand(ChipCommandId::RDTMP), st_.boardAddressHex[s]);
    const auto start = Clock::now();
    st_.rxTemps = link_.SendAndReceive(st_.txTemp, replyLength(st_.txTemp));
    const int64_t us = microsSince(start);
    const ParsedReply p = parseTempReply(st_.rxTemps);
    storeTempRead(st_, s, p);
    const bool match = p.pecMatch();
    applyTempReadVerdict(st_, s, match);
    // Only a reply that passed its PEC check may raise or clear a thermal shutdown.
    updateThermalFlag(st_, s, p.thermalBit, match);
    BoardRead r = tempReadOf(st_, s, p);
    r.roundTripUs = us;
    return finishRead(std::move(r));
}

ThermalChanges StackSession::applyThermalStatus() {
    ThermalChanges c;
    for (int s = 0; s <= st_.lastBoardIndex; ++s) {
        if (st_.thsdFlag[s] == 1) {
            setBoardStatus(st_, s, kStatusThermal);
            st_.thsdLatched[s] = 1;
            // The board lamp shows the latch at once, not only from the next read on.
            st_.readStatus[s] = LampState::ThermalShutdown;
            c.latched.push_back(s);
        }
        if (st_.thsdLatched[s] == 1 && st_.thsdFlag[s] == 0) {
            setBoardStatus(st_, s, kStatusClear);
            st_.thermalCleared = 1;
            st_.showValidOnly = 0;
            c.cleared.push_back(s);
        }
    }
    return c;
}

void StackSession::deriveFlagStatus(int slot) {
    if (st_.flagStatusHeld[slot] == 1) return;
    zmx::deriveFlagStatus(st_, slot);
}

// ---------------------------------------------------------------------- self test

namespace {

std::optional<bool> allCodesRead(const StackState& st, std::optional<std::string_view> expected, int first, int count,
                                 int (*index)(int, int), int slot) {
    if (!expected) return std::nullopt;
    // The hex-view texts carry "0x" and padding around the three digits of the code.
    const std::string_view text = *expected;
    const auto at = text.find("0x");
    const std::string_view digits = text.substr(at + 2, 3);
    for (int n = first; n < first + count; ++n)
        if (st.cellCodeHex[index(slot, n)] != digits) return false;
    return true;
}

}  // namespace

std::optional<bool> StackSession::cellSelfTestPassed(int slot) const {
    return allCodesRead(st_, expectedCellText(st_.selfTestDigit), 1, kCellsPerBoard, cellValueIndex, slot);
}

std::optional<bool> StackSession::tempSelfTestPassed(int slot) const {
    return allCodesRead(st_, expectedTempText(st_.selfTestDigit), 0, 3, tempValueIndex, slot);
}

// ---------------------------------------------------------------------- continuous mode

void StackSession::beginContinuous() {
    st_.continuousRunning = 1;
    st_.sequenceStep = 0;
    st_.forceShowAll = 0;
    st_.scanBoard = 0;
    // The run converts every board at once: STCVAD and STTMPAD go out in the form of the
    // selected board's switches, broadcast from here on unless the user unticks them.
    st_.bcastSTCVAD[st_.selectedBoard] = st_.bcastSTTMPAD[st_.selectedBoard] = 1;
    st_.monitorKind = MonitorKind::Cleared;
    st_.keepAliveActive = 0;
}

void StackSession::endContinuous() {
    st_.continuousRunning = 0;
    st_.scanBoard = st_.selectedBoard;
    for (int s = 0; s <= st_.lastBoardIndex; ++s) st_.rdcvGood[s] = 0;
    zeroStoredVoltages(st_);
    evaluateKeepAliveState(st_);
}

void StackSession::continuousStep(StepHooks* hooks) {
    if (st_.continuousRunning != 1) return;
    StepHooks none;
    StepHooks& h = hooks ? *hooks : none;
    const bool datalog = st_.datalogArmed == 1;
    // The board this tick reads; the starts (and the datalog's configuration read) are the
    // selected board's, in the form of its switches, as the panel would send them.
    const int s = st_.scanBoard;
    const int sel = st_.selectedBoard;
    switch (st_.sequenceStep) {
        case 0: {
            if (datalog) h.configRead(readConfig(sel));
            h.started(startCellConversion(sel, broadcastSwitchOn(st_, cellConversionCommand(0), sel), 0,
                                          st_.cellSelectDigit));
            st_.cellHexView = 0;
            // An empty write-only transfer (nothing written) between the start and the
            // read: the only pause the conversion gets before its cells are read.
            link_.SendOnly("");
            const int selector = cellReadSelector(s, st_.tenCellMode);
            h.cellsRead(readCells(s, selector), selector);
            if (datalog) {
                updateDatalogStamp(st_, now());
                h.datalogStamped();
            }
            break;
        }
        case 1: {
            h.started(
                startTempConversion(sel, broadcastSwitchOn(st_, tempConversionCommand(), sel), st_.tempSelectDigit));
            st_.tempHexView = 0;
            const BoardRead r = readTemps(s);
            h.tempsRead(r, applyThermalStatus());
            break;
        }
        case 2: h.flagsRead(readFlags(s)); break;
        default: break;  // the datalog variant's idle step
    }
    const SequencePosition next = advanceSequence({st_.sequenceStep, st_.scanBoard}, st_.lastBoardIndex, datalog);
    st_.sequenceStep = next.step;
    st_.scanBoard = next.board;
    if (datalog) wrapDatalogSample(st_);
    deriveFlagStatus(servedBoard(st_));
    h.stepDone();
}

}  // namespace zmx
