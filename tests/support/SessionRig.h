#pragma once
// The stack session for the tests that need no window: on an in-process simulated stack
// (or a backend of the test's own), started up, keeping every text it writes and every
// event it hands out.

#include <QDateTime>
#include <QStringList>
#include <QtTest>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/ControllerLink.h"
#include "link/SimLink.h"
#include "session/StackSession.h"
#include "sim/SimStack.h"
#include "support/LogicSupport.h"

namespace zmx::test {

// Keeps every event the session hands out.
struct EventLog : SessionListener {
    std::vector<BoardRead> reads;
    std::vector<ConfigWrite> writes;
    std::vector<std::string> idents;
    void onRead(const BoardRead& r) override { reads.push_back(r); }
    void onConfigWrite(const ConfigWrite& w) override { writes.push_back(w); }
    void onIdentify(const std::string& reply, bool) override { idents.push_back(reply); }
};

struct RigOptions {
    int simBoards = -1;                    // chips on the simulated stack; -1: the session's board count
    bool start = true;                     // run the session's start-up, which must identify the controller
    std::shared_ptr<sim::SimStack> stack;  // the chips of an earlier session, as a later run finds them
    std::unique_ptr<LinkBackend> backend;  // another backend in place of the simulated stack (sim and recorder stay null)
    bool tickingClock = false;             // a clock that moves 100 ms at every reading, as the window's tick
};

struct SessionRig {
    explicit SessionRig(int boards = 10, RigOptions o = {}) : boards(boards) {
        if (o.backend) {
            link = std::make_unique<ControllerLink>(std::move(o.backend));
        } else {
            sim::SimOptions so;
            so.boards = o.simBoards < 0 ? boards : o.simBoards;
            sim = o.stack ? std::move(o.stack) : std::make_shared<sim::SimStack>(so);
            auto rec = std::make_unique<RecordingBackend>(std::make_unique<SimLink>(sim));
            recorder = rec.get();
            link = std::make_unique<ControllerLink>(std::move(rec));
        }
        session = std::make_unique<StackSession>(*link);
        if (o.tickingClock) session->setClock([this] { return clockStart.addMSecs(100 * ticks++); });
        session->addListener(&log);
        if (o.start) {
            ok = session->startUp();
            QVERIFY2(ok, "the controller was not identified");
        }
        st().lastBoardIndex = static_cast<int16_t>(boards - 1);
        if (recorder) recorder->writes.clear();
        log = {};
    }
    SessionRig(const SessionRig&) = delete;
    SessionRig& operator=(const SessionRig&) = delete;

    StackState& st() { return session->state(); }
    // The texts written since the last call.
    std::vector<std::string> takeWrites() { return std::exchange(recorder->writes, {}); }
    QStringList sent() {
        QStringList out;
        for (const auto& s : takeWrites()) out << QString::fromStdString(s);
        return out;
    }

    int boards;
    bool ok = false;
    QDateTime clockStart = QDateTime::fromString(QStringLiteral("2026-03-01T08:00:00Z"), Qt::ISODate);
    int64_t ticks = 0;
    std::shared_ptr<sim::SimStack> sim;
    RecordingBackend* recorder = nullptr;
    std::unique_ptr<ControllerLink> link;
    std::unique_ptr<StackSession> session;
    EventLog log;
};

}  // namespace zmx::test
