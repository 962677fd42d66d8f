#pragma once
// Shared helpers of the test programs: a link backend that records every transfer, and a
// fixture that builds the real window on the simulated stack with test seams.

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "link/ControllerLink.h"
#include "link/LinkBackend.h"
#include "shell/Form1.h"
#include "sim/SimStack.h"

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

    std::vector<std::string> writes;
    // One entry per transfer, with what it wrote: "" when it wrote nothing.
    std::vector<std::string> transfers;

private:
    std::unique_ptr<LinkBackend> inner_;
};

// The real window on an in-process simulated stack, with message boxes, exits, error lines
// and file opening recorded instead of shown.
struct WindowFixture {
    explicit WindowFixture(sim::SimOptions options = {});
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
    void makeForm(std::unique_ptr<LinkBackend> backend);
    std::size_t seen_ = 0;
};

}  // namespace zmx::test
