// Start-up, identification, the periodic re-identification, loss of the controller and
// the window dump, against the simulated stack.

#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"
#include "window/shell/widgets/WindowDump.h"

using namespace zmx;
using namespace zmx::test;

namespace {
QJsonObject controlNamed(const QJsonArray& controls, const QString& name) {
    for (const QJsonValue& v : controls)
        if (v.toObject().value("name").toString() == name) return v.toObject();
    return {};
}
}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void startUpReadsBoardOneConfiguration() {
        WindowFixture f;
        QVERIFY(f.load());
        // Every transfer of the start-up, in order: the identification, then RDCFG of board 1
        // by the board-count sweep of one board, by its re-read, and by READ CONFIG.
        const std::string rdcfg = "MSxT80T49T02TCERRRRRRRX";
        QCOMPARE(f.recorder->transfers, (std::vector<std::string>{"IZ", rdcfg, rdcfg, rdcfg}));
        QCOMPARE(f.form->ui.Label_IDstring->text(), QString("ZMX7730-4"));
        QCOMPARE(f.form->ui.Shape12[0]->fillColor(), QColor(0, 255, 0));
        QCOMPARE(f.form->ui.Text5[0]->text(), QString("   E0   "));
        for (int k = 1; k < 6; ++k) QCOMPARE(f.form->ui.Text5[k]->text(), QString("   00   "));
        QCOMPARE(f.form->ui.Text8->text(), QString("   49  |  CE  | FE ==  FE"));
        QCOMPARE(f.form->ui.Label8[1]->text(), QString("Command = 0x02 RDCFG"));
        QCOMPARE(int(f.form->st.boardIdentified), -1);
    }

    void everyTickIdentifiesAgain() {
        WindowFixture f;
        QVERIFY(f.load());
        f.takeWrites();
        for (int i = 0; i < 3; ++i) {
            f.form->Timer1_Timer();
            const auto w = f.takeWrites();
            QVERIFY(!w.empty());
            QCOMPARE(w.back(), std::string("IZ"));
        }
        QCOMPARE(f.exitStatus, -1);
    }

    void identificationTexts_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("-2") << "ZMX7730-2" << true;
        QTest::newRow("-4 with more") << "ZMX7730-4 REV C 2026" << true;
        QTest::newRow("lower case") << "zmx7730-4" << false;
        QTest::newRow("other chip") << "ZMX7720-4" << false;
        QTest::newRow("ninth differs") << "ZMX7730-1" << false;
    }
    void identificationTexts() {
        QFETCH(QString, id);
        QFETCH(bool, accepted);
        sim::SimOptions o;
        o.idText = id.toStdString();
        WindowFixture f(o);
        QCOMPARE(f.load(), accepted);
        if (!accepted) {
            // nothing but the identification went out
            QCOMPARE(f.takeWrites(), std::vector<std::string>{"IZ"});
            QVERIFY(f.form->identificationErrorLine(true).contains("--simulate"));
        }
    }

    void unpluggedControllerEndsAtNextTick() {
        WindowFixture f;
        QVERIFY(f.load());
        f.sim->setPlugged(false);
        f.form->Timer1_Timer();
        QCOMPARE(f.exitStatus, 1);
        QCOMPARE(f.errorLines.size(), 1);
        QVERIFY(f.errorLines[0].contains("stopped answering"));
        QVERIFY(f.errorLines[0].contains("sim"));
        QCOMPARE(int(f.form->st.continuousRunning), 0);
        QVERIFY(!f.form->Timer1.isActive());
    }

    // Without a terminal nobody reads standard error: the line also goes into a message box
    // with how to start on the simulated stack. With one, the line alone, as scripts expect.
    void linkFailureBoxOnlyWithoutTerminal_data() {
        QTest::addColumn<bool>("atStartUp");
        QTest::addColumn<bool>("terminal");
        QTest::newRow("start-up, no terminal") << true << false;
        QTest::newRow("start-up, terminal") << true << true;
        QTest::newRow("lost, no terminal") << false << false;
        QTest::newRow("lost, terminal") << false << true;
    }
    void linkFailureBoxOnlyWithoutTerminal() {
        QFETCH(bool, atStartUp);
        QFETCH(bool, terminal);
        sim::SimOptions o;
        if (atStartUp) o.idText = "ZMX7720-4";
        WindowFixture f(o);
        f.form->seams().hasTerminal = [terminal] { return terminal; };
        QCOMPARE(f.load(), !atStartUp);
        if (atStartUp) {
            f.form->reportLinkFailure(true);  // as the program does when load fails
        } else {
            f.sim->setPlugged(false);
            f.form->Timer1_Timer();
            QCOMPARE(f.exitStatus, 1);
        }
        QCOMPARE(f.errorLines.size(), 1);
        QVERIFY(f.errorLines[0].contains(atStartUp ? "no supported controller" : "stopped answering"));
        if (terminal) {
            QVERIFY(f.messages.isEmpty());
            return;
        }
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages[0].startsWith(f.errorLines[0] + "\n"));
        QVERIFY(f.messages[0].endsWith("\nzmx7730-gui --simulate"));
    }

    void pecMismatchShownRed() {
        WindowFixture f;
        QVERIFY(f.load());
        f.sim->corruptNextReplies(1);
        f.form->Command1_Click(6);
        QVERIFY(f.form->ui.Text8->text().contains("  !=  "));
        QCOMPARE(background(f.form->ui.Text8), QColor(255, 0, 0));
        QCOMPARE(f.form->ui.Shape12[0]->fillColor(), QColor(255, 0, 0));
        f.form->Command1_Click(6);  // a good read turns both back
        QCOMPARE(background(f.form->ui.Text8), QColor(255, 255, 255));
        QCOMPARE(f.form->ui.Shape12[0]->fillColor(), QColor(0, 255, 0));
    }

    void noReplyReadsZeros() {
        WindowFixture f;
        QVERIFY(f.load());
        f.sim->setBoardPresent(0, false);
        f.form->Command1_Click(6);
        // an absent board leaves the data line high
        QCOMPARE(f.form->ui.Text5[0]->text(), QString("   FF   "));
        QCOMPARE(f.form->ui.Shape12[0]->fillColor(), QColor(255, 0, 0));
    }

    // The diagnostic toggle shows both frames; shown, DIAGNOSTIC hides the legend beneath it.
    void diagnosticFramesCoverTheLegend() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.show();
        w.Cmd_DIAG_Click();
        QVERIFY(!w.ui.Frame11->isHidden() && !w.ui.Frame12->isHidden());
        QCOMPARE(w.ui.Cmd_DIAG->text(), QString("H I DE    D  I AGNOST  I  C"));
        const QImage frame = w.ui.Frame11->parentWidget()->grab(w.ui.Frame11->geometry()).toImage();
        // The legend's colour swatches lie under the frame; the frame itself is all greys and
        // white, so no strongly coloured pixel may show.
        int swatchPixels = 0;
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                const QColor c(frame.pixel(x, y));
                swatchPixels += c.hsvSaturation() > 150 && c.value() > 150;
            }
        QCOMPARE(swatchPixels, 0);
        w.Cmd_DIAG_Click();
        QVERIFY(w.ui.Frame11->isHidden() && w.ui.Frame12->isHidden());
        QCOMPARE(w.ui.Cmd_DIAG->text(), QString("SHOW   D  I AGNOST   I  C"));
    }

    void dumpAfterStartUp() {
        WindowFixture f;
        QVERIFY(f.load());
        const QJsonDocument doc = QJsonDocument::fromJson(dumpWindowJson(f.form.get()));
        QVERIFY(doc.isObject());
        const QJsonArray controls = doc.object().value("controls").toArray();
        QVERIFY(controls.size() > 300);
        const QJsonObject autoBox = controlNamed(controls, "Check_AUTO");
        QCOMPARE(autoBox.value("visible").toBool(), false);
        const QJsonObject tenCells = controlNamed(controls, "Check0(3)");
        QCOMPARE(tenCells.value("visible").toBool(), true);
        QCOMPARE(tenCells.value("enabled").toBool(), false);
        QCOMPARE(controlNamed(controls, "Text5(0)").value("text").toString(), QString("   E0   "));
        QCOMPARE(controlNamed(controls, "Shape12(0)").value("fill").toString(), QString("#00FF00"));
        QCOMPARE(controlNamed(controls, "Label_IDstring").value("text").toString(), QString("ZMX7730-4"));
        QTemporaryDir dir;
        f.form->setDumpPath(dir.filePath("d.json"));
        QVERIFY(f.form->writeDump());
        QVERIFY(QFile::exists(dir.filePath("d.json")));
    }

    // With --reconnect the link status line is one of the added controls, hidden until the
    // controller is lost, then shown with what it says.
    void dumpListsTheLinkStatusLine() {
        WindowFixture f;
        f.form->setReconnect(true);
        QVERIFY(f.load());
        const auto statusLine = [&] {
            const QJsonDocument doc = QJsonDocument::fromJson(dumpWindowJson(f.form.get()));
            return controlNamed(doc.object().value("added").toArray(), "Label_LinkStatus");
        };
        QCOMPARE(statusLine().value("visible").toBool(), false);
        f.sim->setPlugged(false);
        f.form->Timer1_Timer();
        const QJsonObject shown = statusLine();
        QCOMPARE(shown.value("visible").toBool(), true);
        QVERIFY2(shown.value("text").toString().startsWith("LK200 lost: waiting for it to come back"),
                 qPrintable(shown.value("text").toString()));
        QCOMPARE(shown.value("background").toString(), QString("#FF0000"));
    }
};

ZMX_TEST_MAIN(tst_startup, TestStartup, Full)
#include "tst_startup.moc"
