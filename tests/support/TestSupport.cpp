#include "support/TestSupport.h"

#include <QComboBox>

#include "link/SimLink.h"

namespace zmx::test {

WindowFixture::WindowFixture(sim::SimOptions options, bool recordTransfers, sim::WireOptions wire) {
    sim = std::make_shared<sim::SimStack>(options);
    sim->useManualClock(true);
    makeForm(std::make_unique<SimLink>(sim, wire), recordTransfers);
}

WindowFixture::WindowFixture(std::unique_ptr<LinkBackend> backend) { makeForm(std::move(backend), true); }

void WindowFixture::makeForm(std::unique_ptr<LinkBackend> backend, bool recordTransfers) {
    if (recordTransfers) {
        auto rec = std::make_unique<RecordingBackend>(std::move(backend));
        recorder = rec.get();
        backend = std::move(rec);
    }
    link = std::make_unique<ControllerLink>(std::move(backend));
    Seams seams;
    seams.messageBox = [this](const QString& text) { messages << text; };
    seams.exitProgram = [this](int status) { exitStatus = status; };
    seams.now = [this] { return fixedNow.isValid() ? fixedNow : QDateTime::currentDateTime(); };
    seams.openFile = [this](const QString& path, QString*) {
        openedFiles << path;
        return true;
    };
    seams.errorLine = [this](const QString& line) { errorLines << line; };
    form = std::make_unique<Form1>(*link, seams);
}

WindowFixture::~WindowFixture() = default;

bool WindowFixture::load() {
    const bool ok = form->Form_Load();
    // Tests drive the tick themselves.
    form->Timer1.stop();
    return ok;
}

std::vector<std::string> WindowFixture::takeWrites() {
    std::vector<std::string> out(recorder->writes.begin() + static_cast<long>(seen_), recorder->writes.end());
    seen_ = recorder->writes.size();
    return out;
}

std::vector<std::string> WindowFixture::takeCommandWrites() {
    std::vector<std::string> out;
    for (std::string& w : takeWrites())
        if (w != "IZ") out.push_back(std::move(w));
    return out;
}

void useBoards(Form1& w, int count) {
    w.ui.Combo1->setCurrentIndex(count - 1);
    w.Combo1_Click();
}

void startContinuousRun(Form1& w, int boards) {
    useBoards(w, boards);
    w.Command0_Click(1);  // CDC up
    w.Command1_Click(5);  // WRITE CONFIG, broadcast
    for (int b = 0; b < boards; ++b) {
        w.Command4_Click(b);
        w.Command1_Click(6);  // READ CONFIG
    }
    w.Command4_Click(0);
    w.Command1_Click(10);  // START CONTINUOUS
}

}  // namespace zmx::test
