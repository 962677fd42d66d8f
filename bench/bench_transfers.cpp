// Transfers through the simulated link, as the window makes them.

#include "BenchHarness.h"
#include "link/SimLink.h"
#include "shell/Form1.h"
#include "sim/SimStack.h"

namespace zmx::bench {
namespace {

struct BenchWindow {
    BenchWindow() {
        stack = std::make_shared<sim::SimStack>();
        stack->useManualClock(true);
        link = std::make_unique<ControllerLink>(std::make_unique<SimLink>(stack));
        Seams s = defaultSeams();
        s.messageBox = [](const QString&) {};
        s.exitProgram = [](int) {};
        form = std::make_unique<Form1>(*link, s);
        form->Form_Load();
        form->Timer1.stop();
    }
    std::shared_ptr<sim::SimStack> stack;
    std::unique_ptr<ControllerLink> link;
    std::unique_ptr<Form1> form;
};

// One READ CONFIG: frame building, transfer, parsing, PEC, lamp and monitor update.
void rdcfg(int runs) {
    BenchWindow w;
    report("RDCFG (ReadConfig, simulated link)", runs, timeRuns(runs, [&] { w.form->ReadConfig(); }));
}

Register r1("rdcfg", rdcfg);

}  // namespace
}  // namespace zmx::bench
