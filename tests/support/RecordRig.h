#pragma once
// A simulated stack driven by the stack session for the recording tests: started up, every
// board converting (CDC 1), thresholds written, and whatever the session reads kept here.

#include <QtTest>
#include <memory>

#include "link/ControllerLink.h"
#include "link/SimLink.h"
#include "record/RecordTypes.h"
#include "session/StackSession.h"

namespace zmx::test {

struct ReadLog : SessionListener {
    std::vector<BoardRead> reads;
    std::vector<ConfigWrite> writes;
    void onRead(const BoardRead& r) override { reads.push_back(r); }
    void onConfigWrite(const ConfigWrite& w) override { writes.push_back(w); }
};

struct StackRig {
    explicit StackRig(int boards) : boards(boards) {
        sim::SimOptions o;
        o.boards = boards;
        link = std::make_unique<ControllerLink>(std::make_unique<SimLink>(std::make_shared<sim::SimStack>(o)));
        session = std::make_unique<StackSession>(*link);
        // A clock that moves 100 ms at every reading, as the window's tick would.
        session->setClock([this] { return start.addMSecs(100 * ticks++); });
        ok = session->startUp();
        StackState& st = session->state();
        st.lastBoardIndex = static_cast<int16_t>(boards - 1);
        for (int s = 0; s < boards; ++s) {
            st.cfgImage[s] = {"E1", "00", "00", "00", "7F", "C7"};
            st.vuvCode[s] = 0x7F;
            st.vovCode[s] = 0xC7;
        }
        session->writeConfig(0, true);
        session->readConfigAll();
        session->addListener(&log);
    }
    RecordingContext context(const std::string& label) const {
        return contextFromState(session->state(), "sim", session->lastIdentReply(), label);
    }
    // Whole continuous-mode passes: every board's cells, temperatures and flags.
    void passes(int n) {
        session->beginContinuous();
        for (int i = 0; i < n * 3 * boards; ++i) session->continuousStep();
        session->endContinuous();
    }
    int boards;
    bool ok = false;
    QDateTime start = QDateTime::fromString(QStringLiteral("2026-03-01T08:00:00Z"), Qt::ISODate);
    int64_t ticks = 0;
    std::unique_ptr<ControllerLink> link;
    std::unique_ptr<StackSession> session;
    ReadLog log;
};

// A read with only the fields the store keys on, for queue tests.
inline BoardRead syntheticRead(int64_t utcMs, int slot = 0) {
    BoardRead r;
    r.utcMs = utcMs;
    r.slot = slot;
    r.address = "80";
    r.kind = ReadKind::Flags;
    r.command = "RDFLG";
    r.reply = "00 00 00 00";
    r.data = {0, 0, 0};
    r.pecMatch = true;
    return r;
}

// Field-by-field equality of what the store keeps of a read.
inline void compareStored(const BoardRead& got, const BoardRead& want) {
    QCOMPARE(got.utcMs, want.utcMs);
    QCOMPARE(got.slot, want.slot);
    QCOMPARE(got.address, want.address);
    QCOMPARE(got.kind, want.kind);
    QCOMPARE(got.command, want.command);
    QCOMPARE(got.request, want.request);
    QCOMPARE(got.reply, want.reply);
    QCOMPARE(got.data, want.data);
    QCOMPARE(got.rxPec, want.rxPec);
    QCOMPARE(got.calcPec, want.calcPec);
    QCOMPARE(got.pecMatch, want.pecMatch);
    QCOMPARE(got.roundTripUs, want.roundTripUs);
    QCOMPARE(got.lampState, want.lampState);
    QCOMPARE(got.cellStatus, want.cellStatus);
    switch (want.kind) {
        case ReadKind::Cells:
            QCOMPARE(got.firstCell, want.firstCell);
            QCOMPARE(got.cellCount, want.cellCount);
            for (int i = want.firstCell - 1; i < want.firstCell - 1 + want.cellCount; ++i) {
                QCOMPARE(got.cellCodes[i], want.cellCodes[i]);
                QCOMPARE(got.cellVolts[i], want.cellVolts[i]);
            }
            break;
        case ReadKind::Flags: QCOMPARE(got.flags, want.flags); break;
        case ReadKind::Temps:
            QCOMPARE(got.tempCodes, want.tempCodes);
            QCOMPARE(got.tempVolts, want.tempVolts);
            QCOMPARE(got.thermalBit, want.thermalBit);
            break;
        case ReadKind::Config: QCOMPARE(got.config, want.config); break;
    }
}

}  // namespace zmx::test
