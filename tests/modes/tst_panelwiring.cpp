// The window's buttons reach the handlers with the index each stands for, the controls
// without an action send and change nothing, and a board button redraws the monitor from
// the stored verdict of the newly selected board without any transfer.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <functional>

#include "rules/CommandPanel.h"
#include "support/PanelFixture.h"
#include "support/TestMain.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/WindowDump.h"

using namespace zmx;
using namespace zmx::test;

namespace {

// What a window shows and has sent, to compare two windows or one window before and after.
struct Outcome {
    std::vector<std::string> transfers;
    QStringList messages;
    QJsonArray controls;
};

QJsonArray controlsOf(const Form1& w) {
    return QJsonDocument::fromJson(dumpWindowJson(&w)).object().value("controls").toArray();
}

Outcome outcomeOf(WindowFixture& f) { return {takeTransfers(f), f.messages, controlsOf(*f.form)}; }

// The controls whose dump entries differ, by name.
QStringList differingControls(const QJsonArray& a, const QJsonArray& b) {
    QStringList names;
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i)
        if (a.at(i) != b.at(i)) names << a.at(i).toObject().value("name").toString();
    return names;
}

// Two fresh windows: one gets the real click, the other the handler with the expected
// index. Both must send the same texts and end up showing the same thing.
void compareClickWithHandler(const std::function<void(Form1&)>& click, const std::function<void(Form1&)>& handler) {
    WindowFixture viaClick, viaHandler;
    QVERIFY(viaClick.load());
    QVERIFY(viaHandler.load());
    takeTransfers(viaClick);
    takeTransfers(viaHandler);
    click(*viaClick.form);
    handler(*viaHandler.form);
    const Outcome a = outcomeOf(viaClick), b = outcomeOf(viaHandler);
    QCOMPARE(a.transfers, b.transfers);
    QCOMPARE(a.messages, b.messages);
    QCOMPARE(differingControls(a.controls, b.controls), QStringList());
}

}  // namespace

class TestPanelWiring : public QObject {
    Q_OBJECT
private slots:
    void commandRowButtonsPassTheirIndex_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i <= 14; ++i) QTest::newRow(qPrintable(QString("Command1(%1)").arg(i))) << i;
    }
    void commandRowButtonsPassTheirIndex() {
        QFETCH(int, index);
        compareClickWithHandler([index](Form1& w) { w.ui.Command1[index]->click(); },
                                [index](Form1& w) { w.Command1_Click(index); });
    }

    void dischargeAndSelfTestButtonsPassTheirIndex_data() {
        QTest::addColumn<QString>("array");
        QTest::addColumn<int>("index");
        for (int i = 0; i < 2; ++i) QTest::newRow(qPrintable(QString("Command3(%1)").arg(i))) << "Command3" << i;
        for (int i = 0; i < 7; ++i) QTest::newRow(qPrintable(QString("Command5(%1)").arg(i))) << "Command5" << i;
    }
    void dischargeAndSelfTestButtonsPassTheirIndex() {
        QFETCH(QString, array);
        QFETCH(int, index);
        const bool three = array == "Command3";
        // The self-test frame is shown by SHOW DIAGNOSTIC first, as a user would.
        compareClickWithHandler(
            [=](Form1& w) {
                w.Cmd_DIAG_Click();
                (three ? w.ui.Command3[index] : w.ui.Command5[index])->click();
            },
            [=](Form1& w) {
                w.Cmd_DIAG_Click();
                if (three) w.Command3_Click(index);
                else w.Command5_Click(index);
            });
    }

    // Command7, Command8, Cmd_4CELL, the legend boxes and the three datalog menu entries have
    // no action: a click sends nothing, shows no message and changes no other control.
    void inertControlsDoNothing_data() {
        QTest::addColumn<QString>("name");
        for (const char* n :
             {"Command7_0", "Command7_1", "Command8_0", "Command8_1", "Command8_2", "Cmd_4CELL", "Check4_0", "Check4_1",
              "mnuCreateNewSetup_EB4010", "mnuUsePreviousSetup_EB4010", "mnuViewLastDatalog"})
            QTest::newRow(n) << QString(n);
    }
    void inertControlsDoNothing() {
        QFETCH(QString, name);
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.Cmd_DIAG_Click();
        takeTransfers(f);
        const StackState before = w.st;
        const QJsonArray controlsBefore = controlsOf(w);

        Controls& ui = w.ui;
        const QMap<QString, std::function<void()>> clicks{
            {"Command7_0", [&] { ui.Command7[0]->click(); }},
            {"Command7_1", [&] { ui.Command7[1]->click(); }},
            {"Command8_0", [&] { ui.Command8[0]->click(); }},
            {"Command8_1", [&] { ui.Command8[1]->click(); }},
            {"Command8_2", [&] { ui.Command8[2]->click(); }},
            {"Cmd_4CELL", [&] { ui.Cmd_4CELL->click(); }},
            {"Check4_0", [&] { ui.Check4[0]->click(); }},
            {"Check4_1", [&] { ui.Check4[1]->click(); }},
            {"mnuCreateNewSetup_EB4010", [&] { ui.mnuCreateNewSetup_EB4010->trigger(); }},
            {"mnuUsePreviousSetup_EB4010", [&] { ui.mnuUsePreviousSetup_EB4010->trigger(); }},
            {"mnuViewLastDatalog", [&] { ui.mnuViewLastDatalog->trigger(); }},
        };
        clicks[name]();

        QVERIFY(takeTransfers(f).empty());
        QVERIFY(f.messages.isEmpty());
        QVERIFY(f.exitStatus < 0);
        // A legend box shows its own tick; nothing else may change.
        QStringList changed = differingControls(controlsBefore, controlsOf(w));
        if (name.startsWith("Check4")) changed.removeAll(QString("Check4(%1)").arg(name.back()));
        QCOMPARE(changed, QStringList());
        QCOMPARE(w.st.cfgImage, before.cfgImage);
        QCOMPARE(w.st.cellStatus, before.cellStatus);
        QCOMPARE(w.st.selectedBoard, before.selectedBoard);
        QCOMPARE(w.st.datalogArmed, before.datalogArmed);
    }

    // A read of each kind on board 1 (good) and board 2 (corrupted). Redrawing the last
    // exchange for another board shows that board's own stored verdict, and sends nothing.
    void redrawShowsTheSelectedBoardsStoredVerdict_data() {
        QTest::addColumn<int>("readButton");
        QTest::addColumn<QString>("commandLine");
        QTest::newRow("READ CONFIG") << int(kReadConfig) << "Command = 0x02 RDCFG";
        QTest::newRow("READ CELL VOLT") << int(kReadCellVolt) << "Command = 0x04 RDCV";
        QTest::newRow("READ FLAG") << int(kReadFlag) << "Command = 0x0C RDFLG";
        QTest::newRow("READ TEMP") << int(kReadTemp) << "Command = 0x0E RDTMP";
    }
    void redrawShowsTheSelectedBoardsStoredVerdict() {
        QFETCH(int, readButton);
        QFETCH(QString, commandLine);
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.ui.Combo1->setCurrentIndex(1);
        w.Combo1_Click();
        w.Command4_Click(0);
        w.ui.Command1[readButton]->click();
        w.Command4_Click(1);
        f.sim->corruptNextReplies(1);
        w.ui.Command1[readButton]->click();
        QVERIFY(w.ui.Text8->text().contains("!="));
        takeTransfers(f);

        const QString board1Row = QString("   %1  |").arg(QString::fromStdString(PecOfHexByte("80")));
        const QString board2Row = QString("   %1  |").arg(QString::fromStdString(PecOfHexByte("81")));
        w.st.selectedBoard = 0;
        w.ReshowLastTransfer();
        QCOMPARE(w.ui.Label8[1]->text(), commandLine);
        QVERIFY2(w.ui.Text8->text().startsWith(board1Row) && w.ui.Text8->text().contains(" ==  "),
                 qPrintable(w.ui.Text8->text()));
        QCOMPARE(background(w.ui.Text8), QColor(255, 255, 255));
        w.st.selectedBoard = 1;
        w.ReshowLastTransfer();
        QCOMPARE(w.ui.Label8[1]->text(), commandLine);
        QVERIFY2(w.ui.Text8->text().startsWith(board2Row) && w.ui.Text8->text().contains("  !=  "),
                 qPrintable(w.ui.Text8->text()));
        QCOMPARE(background(w.ui.Text8), QColor(255, 0, 0));
        QVERIFY(takeTransfers(f).empty());
    }

    // The board buttons: the values shown come from what was stored for the board; the
    // only transfers are the configuration sweep a change of address digit makes.
    void boardButtonShowsStoredValuesAndSweepsConfiguration() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.ui.Combo1->setCurrentIndex(1);
        w.Combo1_Click();
        w.Command0_Click(1);  // CDC up
        w.Command1_Click(kWriteConfig);
        f.sim->setCellVolts(1, 1, 3.25);
        w.Command4_Click(1);
        w.Command1_Click(kReadConfig);
        w.Command1_Click(kStartCellVolt);
        w.Command1_Click(kReadCellVolt);
        w.Command1_Click(kReadFlag);
        const QString cell1 = w.ui.Text1[0]->text();
        const QString flags = w.ui.Text7[0]->text();
        QVERIFY2(cell1.trimmed().startsWith("3.25"), qPrintable(cell1));
        w.ui.Command4[0]->click();
        QVERIFY(w.ui.Text1[0]->text() != cell1);
        takeTransfers(f);

        w.ui.Command4[1]->click();
        QCOMPARE(w.ui.Text1[0]->text(), cell1);
        QCOMPARE(w.ui.Text7[0]->text(), flags);
        const auto sent = takeTransfers(f);
        QVERIFY(!sent.empty());
        for (const std::string& t : sent) QVERIFY2(t == rdcfg("80") || t == rdcfg("81"), t.c_str());
        QCOMPARE(w.ui.Label8[1]->text(), QString("Command = 0x02 RDCFG"));
        QVERIFY(w.ui.Text8->text().startsWith(QString("   %1  |").arg(QString::fromStdString(PecOfHexByte("81")))));
    }
};

ZMX_TEST_MAIN(tst_panelwiring, TestPanelWiring, Full)
#include "tst_panelwiring.moc"
