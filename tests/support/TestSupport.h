#pragma once
// Shared helpers of the window tests and the benchmarks: a fixture that builds the real
// window on the simulated stack with test seams, and the few steps most window tests begin
// with. The helpers that need no window are in LogicSupport.h.

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "link/ControllerLink.h"
#include "model/StackState.h"
#include "sim/SimStack.h"
#include "sim/SimWire.h"
#include "support/LogicSupport.h"
#include "window/shell/Form1.h"

namespace zmx::test {

// The real window on an in-process simulated stack, with message boxes, exits, error lines
// and file opening recorded instead of shown.
struct WindowFixture {
    // recordTransfers false leaves the recorder out of the link (recorder stays null), for
    // benchmarks that make many transfers and read none of them back.
    // The wire is the strict one unless told (benchmarks of the program's own cost take the
    // instant one).
    explicit WindowFixture(sim::SimOptions options = {}, bool recordTransfers = true, sim::WireOptions wire = {});
    // The window on another backend (a serial link to zmx7730-sim, say); sim stays null.
    explicit WindowFixture(std::unique_ptr<LinkBackend> backend);
    ~WindowFixture();

    // Runs Form_Load; false when the controller was not identified.
    bool load();
    // Writes since the last call (or since construction).
    std::vector<std::string> takeWrites();
    // Texts written, without the identification requests.
    std::vector<std::string> takeCommandWrites();

    std::shared_ptr<sim::SimStack> sim;
    RecordingBackend* recorder = nullptr;
    std::unique_ptr<ControllerLink> link;
    std::unique_ptr<Form1> form;

    QStringList messages;
    QStringList errorLines;
    QStringList openedFiles;
    int exitStatus = -1;
    QDateTime fixedNow;  // when valid, "now" for the window

private:
    void makeForm(std::unique_ptr<LinkBackend> backend, bool recordTransfers);
    std::size_t seen_ = 0;
};

// The board count as the user sets it: the list entry, then its handler.
void useBoards(Form1& w, int count);
inline void useBoards(WindowFixture& f, int count) { useBoards(*f.form, count); }
// `boards` boards, CDC 1 written to the whole stack and read back from every board (a
// board's lamp takes its measure mode from its read-back), board 1 selected, continuous
// mode started.
void startContinuousRun(Form1& w, int boards);
// A board button, as the user clicks it.
inline void selectBoard(Form1& w, int slot) { w.Command4_Click(slot); }

}  // namespace zmx::test
