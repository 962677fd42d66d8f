// A scripted window session on the simulated stack, every transfer and every change of what
// the window shows recorded step by step and compared byte for byte with a committed golden
// file: a change in how the code is organised must leave both exactly as they were.
// ZMX_UPDATE_GOLDEN=1 writes the file from the code as it stands.

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "rules/CommandPanel.h"
#include "support/TestMain.h"
#include "window/shell/widgets/WindowDump.h"
#include "support/GoldenTrace.h"
#include "support/TestSupport.h"

using namespace zmx;
using namespace zmx::test;

namespace {

// Self-test view buttons, in the order of the window's inventory.
enum SelfTestButton {
    kSelfCellVolt = 0,
    kSelfOpenWire = 1,
    kSelfAllTemp = 2,
    kSelfReadCellHex = 3,
    kSelfReadTempHex = 4
};

// Runs the steps and writes down, after each, its transfers, the message boxes it raised and
// the controls whose text, colour, state or place it changed.
class WindowScript {
public:
    WindowScript(WindowFixture& f, const QString& tracePath) : f_(f), tracePath_(tracePath) {
        f_.link->openTrace(tracePath.toStdString());
        shown_ = windowControls(dumpWindowJson(f_.form.get()));
    }

    void step(const char* name, const std::function<void(Form1&)>& act) {
        act(*f_.form);
        out_ += QByteArray("== ") + name + '\n';
        out_ += traceLinesSince(tracePath_, traceAt_);
        for (const QString& m : f_.messages) out_ += "! " + m.toUtf8() + '\n';
        f_.messages.clear();
        const auto now = windowControls(dumpWindowJson(f_.form.get()));
        out_ += changedControls(shown_, now);
        shown_ = now;
    }

    const QByteArray& text() const { return out_; }

private:
    WindowFixture& f_;
    QString tracePath_;
    qint64 traceAt_ = 0;
    QMap<QString, QString> shown_;
    QByteArray out_;
};

void ticks(Form1& w, int n) {
    for (int i = 0; i < n; ++i) w.Timer1_Timer();
}

void panel(Form1& w, int button) { w.Command1_Click(button); }

void typeThreshold(Form1& w, int box, const char* text) {
    w.Text2_GotFocus(box);
    w.ui.Text2[box]->setText(QString::fromLatin1(text));
    w.Text2_LostFocus(box);
}

}  // namespace

class TestWindowTrace : public QObject {
    Q_OBJECT
private slots:
    void scriptedSessionMatchesGolden() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        WindowFixture f;
        f.fixedNow = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
        WindowScript s(f, dir.filePath("trace.txt"));

        s.step("start-up", [&](Form1&) { QVERIFY(f.load()); });
        s.step("three boards", [](Form1& w) { useBoards(w, 3); });
        s.step("board 2 selected", [](Form1& w) { selectBoard(w, 1); });
        s.step("CDC up twice", [](Form1& w) {
            w.Command0_Click(1);
            w.Command0_Click(1);
        });
        s.step("threshold steps", [](Form1& w) {
            w.Command2_Click(1);
            w.Command2_Click(3);
            w.Command2_Click(2);
        });
        s.step("thresholds typed", [](Form1& w) {
            typeThreshold(w, 0, "2.9");
            typeThreshold(w, 1, "4.25");
        });
        s.step("threshold refused", [](Form1& w) { typeThreshold(w, 0, "9.9"); });
        s.step("write config broadcast", [](Form1& w) { panel(w, kWriteConfig); });
        s.step("read config", [](Form1& w) { panel(w, kReadConfig); });
        s.step("write config addressed", [](Form1& w) {
            w.ui.Check5[5]->setChecked(false);
            w.Command0_Click(0);
            panel(w, kWriteConfig);
        });
        s.step("read config board 2", [](Form1& w) { panel(w, kReadConfig); });
        s.step("board 1 read config", [](Form1& w) {
            selectBoard(w, 0);
            panel(w, kReadConfig);
        });
        s.step("start cells addressed", [](Form1& w) { panel(w, kStartCellVolt); });
        s.step("poll ADC", [](Form1& w) { panel(w, kPollAdc); });
        s.step("read cells", [](Form1& w) { panel(w, kReadCellVolt); });
        s.step("start open wire, poll INT", [](Form1& w) {
            panel(w, kStartOpenWire);
            panel(w, kPollInt);
        });
        s.step("start temps", [](Form1& w) { panel(w, kStartTemp); });
        s.step("read temps", [](Form1& w) { panel(w, kReadTemp); });
        s.step("read flags", [](Form1& w) { panel(w, kReadFlag); });
        s.step("broadcast switches on", [](Form1& w) {
            for (int i = 0; i < 5; ++i) w.ui.Check5[i]->setChecked(true);
        });
        s.step("broadcast starts and poll", [](Form1& w) {
            panel(w, kStartCellVolt);
            panel(w, kStartTemp);
            panel(w, kPollAdc);
        });
        s.step("every board read", [](Form1& w) {
            for (int b = 0; b < 3; ++b) {
                selectBoard(w, b);
                panel(w, kReadCellVolt);
                panel(w, kReadTemp);
                panel(w, kReadFlag);
            }
        });
        s.step("discharge-held starts", [](Form1& w) {
            w.Command3_Click(0);
            w.ui.Check8[1]->setChecked(true);
            w.Command3_Click(1);
            panel(w, kReadCellVolt);
        });
        s.step("ten-cell mode written", [](Form1& w) {
            w.ui.Check5[5]->setChecked(true);
            w.ui.Check0[3]->setChecked(true);
            panel(w, kWriteConfig);
            panel(w, kReadConfig);
        });
        s.step("ten-cell read", [](Form1& w) {
            panel(w, kStartCellVolt);
            panel(w, kReadCellVolt);
        });
        s.step("twelve-cell mode written", [](Form1& w) {
            w.ui.Check0[3]->setChecked(false);
            panel(w, kWriteConfig);
            panel(w, kReadConfig);
        });
        for (int pattern = 0; pattern < 3; ++pattern) {
            const QByteArray name = "self test pattern " + QByteArray::number(pattern);
            s.step(name.constData(), [pattern](Form1& w) {
                w.ui.Option2[pattern]->setChecked(true);
                w.Command5_Click(kSelfCellVolt);
                w.Command5_Click(kSelfReadCellHex);
                w.Command5_Click(kSelfAllTemp);
                w.Command5_Click(kSelfReadTempHex);
                w.Command5_Click(kSelfOpenWire);
                w.Command5_Click(kSelfReadCellHex);
            });
        }
        s.step("keep-alive ticks", [](Form1& w) { ticks(w, 8); });
        s.step("continuous run started", [](Form1& w) { startContinuousRun(w, 3); });
        for (int t = 0; t < 10; ++t) {
            const QByteArray name = "continuous tick " + QByteArray::number(t);
            s.step(name.constData(), [](Form1& w) { ticks(w, 1); });
        }
        s.step("datalog armed", [](Form1& w) {
            panel(w, kStartDatalog);
            ticks(w, 12);
        });
        s.step("datalog stopped", [](Form1& w) { panel(w, kStopDatalog); });
        s.step("continuous stopped", [](Form1& w) { panel(w, kContinuous); });
        s.step("after the run", [](Form1& w) { ticks(w, 6); });
        s.step("low-current standby", [](Form1& w) { panel(w, kLowCurrentStandby); });
        s.step("standby ticks", [](Form1& w) { ticks(w, 3); });

        const QString diff = compareWithGolden("tests/shell/golden/window_session.txt", s.text());
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }
};

ZMX_TEST_MAIN(tst_windowtrace, TestWindowTrace, Full)
#include "tst_windowtrace.moc"
