// Transfers through the simulated link, as the window makes them.

#include "BenchHarness.h"
#include "support/TestSupport.h"

namespace zmx::bench {
namespace transfers_cases {

// One READ CONFIG: frame building, transfer, parsing, PEC, lamp and monitor update.
void rdcfg(int runs) {
    test::WindowFixture w({}, false, kInstantWire);
    w.load();
    report("RDCFG (ReadConfig, simulated link)", runs, timeRuns(runs, [&] { w.form->ReadConfig(); }));
}

// One RDCV of board 1 in measure mode: transfer, parsing, PEC, decoding, status codes and
// the cell display (values, lamps and bars).
void rdcv(int runs) {
    test::WindowFixture w({}, false, kInstantWire);
    w.load();
    w.form->Command0_Click(1);  // CDC 1, written, read back: the board measures
    w.form->Command1_Click(5);
    w.form->Command1_Click(6);
    w.form->Command1_Click(2);
    report("RDCV (ReadCells + status + display)", runs, timeRuns(runs, [&] {
               w.form->ReadCells(w.form->st.tenCellMode);
               w.form->EvaluateCellStatus(w.form->st.selectedBoard);
               w.form->ShowCellStatus();
           }));
}

Register r1("rdcfg", rdcfg);
Register r2("rdcv", rdcv);

}  // namespace transfers_cases
}  // namespace zmx::bench
