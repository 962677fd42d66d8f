#pragma once
// The main window on the in-process simulated stack, for benchmarks: a frozen simulator
// clock, message boxes and exits swallowed, the timer stopped so the benchmark drives it.

#include <memory>

#include "link/ControllerLink.h"
#include "link/SimLink.h"
#include "shell/Form1.h"
#include "sim/SimStack.h"

namespace zmx::bench {

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

}  // namespace zmx::bench
