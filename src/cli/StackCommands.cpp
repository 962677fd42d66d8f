#include "cli/StackCommands.h"

#include <algorithm>
#include <functional>

#include "link/ControllerLink.h"
#include "protocol/ChipCommands.h"
#include "protocol/Hex.h"
#include "protocol/ReplyParsers.h"
#include "rules/CellStatus.h"
#include "rules/ConfigModel.h"
#include "rules/KeepAlive.h"
#include "session/LinkFailureLine.h"

namespace zmx {

namespace {

constexpr const char* kPatternDigits[] = {"E", "F", "D"};

// The CDC a board holds by its last read-back (the written copy before any read-back).
int heldCdc(const StackState& st, int s) {
    const std::string& text = st.cfgReadback[s][0].empty() ? st.cfgWritten[s][0] : st.cfgReadback[s][0];
    return text.empty() ? 0 : textToByte(text) & 0x07;
}

int measureMsOf(const StackState& st, const std::vector<int>& boardSlots) {
    int ms = 0;
    for (int s : boardSlots) ms = std::max(ms, cdcMeasureMs(heldCdc(st, s)));
    return ms;
}

// RDCFG of each slot: the measure mode, the lamp and the standby verdict.
std::vector<BoardRead> readConfigs(StackSession& session, const std::vector<int>& boardSlots) {
    StackState& st = session.state();
    std::vector<BoardRead> reads;
    for (int s : boardSlots) {
        reads.push_back(session.readConfig(s));
        evaluateCellStatus(st, s);
    }
    return reads;
}

// A conversion start addressed to slot (or broadcast), the poll the panel sends after it in
// the same form and the wait for the conversion; the poll frame is released before the reads.
void convertAndWait(StackSession& session, int slot, bool cells, const std::string& digit, bool broadcast, int waitMs,
                    const WaitMs& wait) {
    if (cells) session.startCellConversion(slot, broadcast, 0, digit);
    else session.startTempConversion(slot, broadcast, digit);
    session.sendPoll(slot, broadcast, 0);
    if (wait && waitMs > 0) wait(waitMs);
    session.closeOpenFrame();
}

}  // namespace

void setStackSize(StackSession& session, int boards) {
    session.state().lastBoardIndex = static_cast<int16_t>(std::clamp(boards, 1, kBoards) - 1);
}

ConfigVerification writeAndVerify(StackSession& session, const std::vector<std::optional<ConfigBytes>>& images) {
    StackState& st = session.state();
    ConfigVerification v;
    const int boards = st.lastBoardIndex + 1;
    std::vector<int> named;
    for (int s = 0; s < boards && s < static_cast<int>(images.size()); ++s) {
        if (!images[static_cast<std::size_t>(s)]) continue;
        named.push_back(s);
        const ConfigBytes& b = *images[static_cast<std::size_t>(s)];
        for (int k = 0; k < 6; ++k) st.cfgImage[s][k] = byteText(b[static_cast<std::size_t>(k)]);
        st.cdcValue[s] = static_cast<int16_t>(b[0] & 0x07);
        st.vuvCode[s] = b[4];
        st.vovCode[s] = b[5];
    }
    if (named.empty()) return v;
    const bool sameEverywhere = static_cast<int>(named.size()) == boards &&
                                std::all_of(named.begin(), named.end(),
                                            [&](int s) { return images[static_cast<std::size_t>(s)] == images[0]; });
    if (sameEverywhere) {
        v.writes.push_back(session.writeConfig(0, true));
    } else {
        for (int s : named) v.writes.push_back(session.writeConfig(s, false));
    }
    st.configChanged = 0;
    evaluateKeepAliveState(st);

    v.readbacks = readConfigs(session, named);
    for (std::size_t i = 0; i < named.size(); ++i) {
        const int s = named[i];
        bool differs = !v.readbacks[i].pecMatch;
        for (int k = 0; k < 6; ++k) differs = differs || session.readbackDiffers(s, k);
        if (differs) v.mismatched.push_back(s);
    }
    return v;
}

std::vector<BoardResult> convertAndRead(StackSession& session, ReadWhat what, const std::vector<int>& boardSlots,
                                        const WaitMs& wait) {
    StackState& st = session.state();
    std::vector<BoardResult> results;
    if (boardSlots.empty()) return results;
    const std::vector<BoardRead> configs = readConfigs(session, boardSlots);
    for (std::size_t i = 0; i < boardSlots.size(); ++i)
        results.push_back({configs[i], heldCdc(st, boardSlots[i]) == 0, {}});

    const bool cells = what != ReadWhat::Temps;
    convertAndWait(session, boardSlots.front(), cells, cells ? st.cellSelectDigit : st.tempSelectDigit,
                   boardSlots.size() > 1, measureMsOf(st, boardSlots), wait);
    for (std::size_t i = 0; i < boardSlots.size(); ++i) {
        const int s = boardSlots[i];
        st.showValidOnly = 0;
        st.forceShowAll = 1;
        BoardRead r;
        switch (what) {
            case ReadWhat::Cells:
                r = session.readCells(s, st.tenCellMode);
                evaluateCellStatus(st, s);
                break;
            case ReadWhat::Flags:
                r = session.readFlags(s);
                session.deriveFlagStatus(s);
                break;
            case ReadWhat::Temps:
                r = session.readTemps(s);
                session.applyThermalStatus();
                break;
        }
        // r.cellStatus is the session's, from the board's good reads; the window's labels
        // (st.cellStatus) follow the panel's rules above.
        results[i].read = std::move(r);
    }
    return results;
}

bool SelfTestVerdict::passed() const {
    if (standby || digits.empty()) return false;
    return std::all_of(cellsPassed.begin(), cellsPassed.end(), [](bool b) { return b; }) &&
           std::all_of(tempsPassed.begin(), tempsPassed.end(), [](bool b) { return b; });
}

std::vector<SelfTestVerdict> runSelfTest(StackSession& session, const std::vector<int>& boardSlots,
                                         const WaitMs& wait) {
    StackState& st = session.state();
    std::vector<SelfTestVerdict> verdicts;
    if (boardSlots.empty()) return verdicts;
    readConfigs(session, boardSlots);
    for (int s : boardSlots) verdicts.push_back({s, heldCdc(st, s) == 0, {}, {}, {}});
    const int ms = measureMsOf(st, boardSlots);
    const bool many = boardSlots.size() > 1;
    for (const char* digit : kPatternDigits) {
        st.selfTestDigit = digit;
        for (const bool cells : {true, false}) {
            convertAndWait(session, boardSlots.front(), cells, digit, many, ms, wait);
            for (std::size_t i = 0; i < boardSlots.size(); ++i) {
                const int s = boardSlots[i];
                if (cells) {
                    const bool pec = session.readCells(s, st.tenCellMode).pecMatch;
                    verdicts[i].digits.emplace_back(digit);
                    verdicts[i].cellsPassed.push_back(pec && session.cellSelfTestPassed(s).value_or(false));
                } else {
                    const bool pec = session.readTemps(s).pecMatch;
                    verdicts[i].tempsPassed.push_back(pec && session.tempSelfTestPassed(s).value_or(false));
                }
            }
        }
    }
    return verdicts;
}

std::vector<int> standbySlots(const StackState& st) {
    std::vector<int> boardSlots;
    for (int s = 0; s <= st.lastBoardIndex; ++s)
        if (heldCdc(st, s) == 0) boardSlots.push_back(s);
    return boardSlots;
}

std::string lostControllerLine(StackSession& session) {
    // A reply that came back wrong leaves the device open; only a transfer that got nothing
    // back (or could not write or open) closed it.
    if (session.link().backend().isOpen() || session.identify()) return {};
    return linkFailureLine(LinkFailure::StoppedAnswering, session);
}

int stackMeasureMs(const StackState& st) {
    std::vector<int> all;
    for (int s = 0; s <= st.lastBoardIndex; ++s) all.push_back(s);
    return measureMsOf(st, all);
}

bool windowTick(StackSession& session) {
    StackState& st = session.state();
    if (st.suspendIdentify == 0) {
        if (session.keepAlivePollDue()) session.sendKeepAlivePoll();
        if (!session.identify()) return false;
    }
    if (st.continuousRunning == 1) session.continuousStep();
    if (st.keepAliveActive == 0) st.keepAliveCounter = 0;
    else st.keepAliveCounter = nextKeepAliveCounter(st.keepAliveCounter);
    return true;
}

namespace {
// Every board's read frame of one command, with its reply length, for one batched write.
void prefetchAll(StackSession& session, const std::function<const ChipCommand&(int slot)>& commandOf) {
    const StackState& st = session.state();
    std::vector<std::pair<std::string, std::size_t>> exchanges;
    for (int s = 0; s <= st.lastBoardIndex; ++s) {
        const ChipCommand& cmd = commandOf(s);
        exchanges.emplace_back(readFrameOf(cmd, st.boardAddressHex[s]), readReplyChars(cmd));
    }
    session.link().prefetchReplies(exchanges);
}

void prefetchAll(StackSession& session, ChipCommandId id) {
    prefetchAll(session, [id](int) -> const ChipCommand& { return chipCommand(id); });
}
}  // namespace

int fastPass(StackSession& session, const WaitMs& wait, bool batchFrames) {
    StackState& st = session.state();
    const int ms = stackMeasureMs(st);
    int good = 0;
    session.startCellConversion(0, true, 0, st.cellSelectDigit);
    if (wait && ms > 0) wait(ms);
    // Each board's cell read is as long as its own configuration says.
    if (batchFrames)
        prefetchAll(session, [&](int s) -> const ChipCommand& {
            return cellReadVariant(session.cellReadSelector(s, st.tenCellMode)).cmd();
        });
    for (int s = 0; s <= st.lastBoardIndex; ++s) {
        good += session.readCells(s, st.tenCellMode).pecMatch ? 1 : 0;
        evaluateCellStatus(st, s);
    }
    session.startTempConversion(0, true, st.tempSelectDigit);
    if (wait && ms > 0) wait(ms);
    if (batchFrames) prefetchAll(session, ChipCommandId::RDTMP);
    for (int s = 0; s <= st.lastBoardIndex; ++s) good += session.readTemps(s).pecMatch ? 1 : 0;
    session.applyThermalStatus();
    if (batchFrames) prefetchAll(session, ChipCommandId::RDFLG);
    for (int s = 0; s <= st.lastBoardIndex; ++s) {
        good += session.readFlags(s).pecMatch ? 1 : 0;
        session.deriveFlagStatus(s);
    }
    return good;
}

}  // namespace zmx
