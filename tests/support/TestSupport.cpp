#include "support/TestSupport.h"

#include "link/SimLink.h"

namespace zmx::test {

WindowFixture::WindowFixture(sim::SimOptions options) {
    sim = std::make_shared<sim::SimStack>(options);
    sim->useManualClock(true);
    makeForm(std::make_unique<SimLink>(sim));
}

WindowFixture::WindowFixture(std::unique_ptr<LinkBackend> backend) { makeForm(std::move(backend)); }

void WindowFixture::makeForm(std::unique_ptr<LinkBackend> backend) {
    auto rec = std::make_unique<RecordingBackend>(std::move(backend));
    recorder = rec.get();
    link = std::make_unique<ControllerLink>(std::move(rec));
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

}  // namespace zmx::test
