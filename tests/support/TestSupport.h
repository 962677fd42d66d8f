#pragma once
// Shared helpers of the test programs and the benchmarks: a link backend that records every
// transfer, a fixture that builds the real window on the simulated stack with test seams,
// and the few steps most window tests begin with.

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "link/ControllerLink.h"
#include "link/LinkBackend.h"
#include "model/StackState.h"
#include "sim/SimStack.h"
#include "sim/SimWire.h"
#include "window/shell/Form1.h"

namespace zmx::test {

// Passes everything to another backend and keeps the texts written, one per transfer.
class RecordingBackend : public LinkBackend {
public:
    explicit RecordingBackend(std::unique_ptr<LinkBackend> inner) : inner_(std::move(inner)) {}
    std::string name() const override { return inner_->name(); }
    // Every transfer drops stale input first; one whose device cannot be opened ends at the open.
    bool open() override {
        const bool ok = inner_->open();
        if (!ok) transfers.emplace_back();
        return ok;
    }
    bool isOpen() const override { return inner_->isOpen(); }
    void setTimeouts(int readMs, int writeMs) override { inner_->setTimeouts(readMs, writeMs); }
    std::size_t write(std::string_view bytes) override {
        writes.emplace_back(bytes);
        if (!transfers.empty()) transfers.back() += bytes;
        return inner_->write(bytes);
    }
    std::string read(std::size_t maxBytes) override { return inner_->read(maxBytes); }
    void purgeInput() override {
        transfers.emplace_back();
        inner_->purgeInput();
    }
    void close() override { inner_->close(); }
    std::string lastError() const override { return inner_->lastError(); }
    std::string deviceIdentity() const override { return inner_->deviceIdentity(); }
    std::string usbSerial() const override { return inner_->usbSerial(); }
    WireTiming wireTiming() const override { return inner_->wireTiming(); }
    bool drainOutput(int timeoutMs) override { return inner_->drainOutput(timeoutMs); }

    std::vector<std::string> writes;
    // One entry per transfer, with what it wrote: "" when it wrote nothing.
    std::vector<std::string> transfers;

private:
    std::unique_ptr<LinkBackend> inner_;
};

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

// A stack state without a window: `boards` boards at 0x80 upward, each with the power-on
// configuration image and WRCFG in broadcast form.
StackState stackOf(int boards);

}  // namespace zmx::test
