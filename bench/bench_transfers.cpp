// Transfers through the simulated link, as the window makes them.

#include "BenchHarness.h"
#include "BenchWindow.h"

namespace zmx::bench {
namespace {

// One READ CONFIG: frame building, transfer, parsing, PEC, lamp and monitor update.
void rdcfg(int runs) {
    BenchWindow w;
    report("RDCFG (ReadConfig, simulated link)", runs, timeRuns(runs, [&] { w.form->ReadConfig(); }));
}

Register r1("rdcfg", rdcfg);

}  // namespace
}  // namespace zmx::bench
