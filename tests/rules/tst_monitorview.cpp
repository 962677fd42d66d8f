// The three monitor layouts and the "PEC Match Only" rule of the read layout.

#include <QtTest>

#include "protocol/Pec.h"
#include "rules/MonitorView.h"
#include "support/TestMain.h"

using namespace zmx;

namespace {
StackState boardOne() {
    StackState st;
    for (int s = 0; s < 10; ++s) st.boardAddressHex[s] = "8" + std::to_string(s);
    return st;
}
}  // namespace

class TestMonitorView : public QObject {
    Q_OBJECT
private slots:
    void commandLayouts() {
        StackState st = boardOne();
        MonitorView b = commandTransferView(st, "STCVAD", "10", "B0", "49", 1);
        QCOMPARE(b.direction, std::string("W R"));
        QCOMPARE(b.destination, std::string("BROADCAST to all BRDS"));
        QCOMPARE(b.byteLine, std::string("   B0  | "));
        QCOMPARE(b.header2, std::string("| SENT | "));
        MonitorView a = commandTransferView(st, "PLADC", "40", "07", "49", 0);
        QCOMPARE(a.commandLine, std::string("Command = 0x40 PLADC"));
        QCOMPARE(a.byteLine, std::string("   49  |  07  | "));
        QCOMPARE(a.destination, std::string(" Address = 0x80 BRD#1"));
    }

    void writeConfigLayouts() {
        StackState st = boardOne();
        st.selectedBoard = 2;
        st.bcastWRCFG[2] = 0;
        st.wrcfgPec[2] = 0x05;
        MonitorView a = writeConfigView(st);
        QCOMPARE(a.destination, std::string(" Address = 0x82 BRD#3"));
        QCOMPARE(a.header0, std::string("| ADDR |  Cmd  | DATA |"));
        const std::string addrPec = PecOfHexByte("82");
        QCOMPARE(a.byteLine, "   " + addrPec + "  |  C7  |  5  |");  // no leading zero
        st.bcastWRCFG[2] = 1;
        st.wrcfgPec[2] = 0xFE;
        MonitorView b = writeConfigView(st);
        QCOMPARE(b.byteLine, std::string("  C7  |  FE  |"));
        QCOMPARE(b.destination, std::string("BROADCAST to all BRDS"));
    }

    void readMatchAndMismatch() {
        StackState st = boardOne();
        MonitorView m = readTransferView(st, "RDCFG", "02", "CE", "49", 0xFE, 0xFE);
        QCOMPARE(m.byteLine, std::string("   49  |  CE  | FE ==  FE"));
        QVERIFY(!m.mismatch);
        QCOMPARE(m.direction, std::string("R D"));
        QCOMPARE(m.commandLine, std::string("Command = 0x02 RDCFG"));
        MonitorView x = readTransferView(st, "RDCFG", "02", "CE", "49", 0x00, 0x5F);
        QVERIFY(x.mismatch);
        QCOMPARE(x.byteLine, std::string("   49  |  CE  | 00  !=  5F"));
    }

    void pecMatchOnlyHidesMismatchUnlessForced() {
        StackState st = boardOne();
        st.showValidOnly = 1;
        MonitorView hidden = readTransferView(st, "RDCFG", "02", "CE", "49", 0x00, 0x5F);
        QVERIFY(hidden.keepByteLine);
        QCOMPARE(int(st.showValidOnly), 1);
        st.forceShowAll = 1;
        MonitorView shown = readTransferView(st, "RDCFG", "02", "CE", "49", 0x00, 0x5F);
        QVERIFY(shown.mismatch && !shown.keepByteLine);
        QCOMPARE(int(st.showValidOnly), 0);  // stays cleared until the box is applied again
    }
};

ZMX_TEST_MAIN(tst_monitorview, TestMonitorView, None)
#include "tst_monitorview.moc"
