#pragma once
// A simulated stack driven by the stack session for the recording tests: started up, every
// board converting (CDC 1), thresholds written, and whatever the session reads kept here.

#include <QtTest>
#include <memory>

#include "record/RecordTypes.h"
#include "support/SessionRig.h"

namespace zmx::test {

// The session rig with every board converting (CDC 1), thresholds written and read back,
// and a clock that moves 100 ms at every reading; the log keeps what comes after.
struct StackRig : SessionRig {
    explicit StackRig(int boards) : SessionRig(boards, {.tickingClock = true}) {
        if (!ok) return;
        for (int s = 0; s < boards; ++s) {
            st().cfgImage[s] = {"E1", "00", "00", "00", "7F", "C7"};
            st().vuvCode[s] = 0x7F;
            st().vovCode[s] = 0xC7;
        }
        session->writeConfig(0, true);
        session->readConfigAll();
        log = {};
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
