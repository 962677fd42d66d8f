// The window against zmx7730-sim on a pseudo-terminal while continuous mode runs and the
// controller is unplugged and plugged in again: without --reconnect the program ends as it
// always did; with it the window waits, takes back only the same controller, reads every
// board's configuration again and carries on, and the trace shows the gap.

#include <QComboBox>
#include <QLabel>
#include <csignal>

#include <QtTest>

#include "link/SerialLink.h"
#include "modes/CommandPanel.h"
#include "shell/widgets/ShapeWidget.h"
#include "support/TestSupport.h"

using namespace zmx;
using namespace zmx::test;

namespace {

constexpr int kSimBoards = 3;

QString program(const char* name) {
    return QDir(qEnvironmentVariable("ZMX_BINARY_DIR")).filePath(QString::fromLatin1(name));
}

// zmx7730-sim as a child process; its controller is unplugged and plugged in by signals,
// each acknowledged by a line on its standard output.
struct SimProcess {
    QProcess p;
    QString pty;
    bool start(const QStringList& extra = {}) {
        p.start(program("zmx7730-sim"),
                QStringList{"--sim-boards", QString::number(kSimBoards), "--seed", "3"} + extra);
        if (!p.waitForStarted(5000)) return false;
        pty = nextLine();
        return pty.startsWith("/dev/");
    }
    QString nextLine() {
        while (!p.canReadLine())
            if (!p.waitForReadyRead(5000)) return {};
        return QString::fromLatin1(p.readLine()).trimmed();
    }
    bool plug(bool in) {
        ::kill(static_cast<pid_t>(p.processId()), in ? SIGUSR2 : SIGUSR1);
        return nextLine() == (in ? "plugged" : "unplugged");
    }
    ~SimProcess() {
        p.terminate();
        p.waitForFinished(5000);
    }
};

// The window on a serial link to the simulator, three boards, continuous mode running.
std::unique_ptr<WindowFixture> runningWindow(const SimProcess& sim, bool reconnect, const QString& trace = {}) {
    auto f = std::make_unique<WindowFixture>(std::make_unique<SerialLink>(sim.pty.toStdString()));
    if (!trace.isEmpty()) f->link->openTrace(trace.toStdString());
    f->form->setReconnect(reconnect);
    if (!f->load()) return nullptr;
    Form1& w = *f->form;
    w.ui.Combo1->setCurrentIndex(kSimBoards - 1);
    w.Combo1_Click();
    w.Command1_Click(kContinuous);
    for (int t = 0; t < 4; ++t) w.Timer1_Timer();
    f->takeWrites();
    return f;
}

// The RDCFG frames among the writes, by board address ("80", "81", ...).
QStringList configReadsOf(const std::vector<std::string>& writes) {
    QStringList boards;
    for (const std::string& w : writes)
        if (w.size() == 23 && w.compare(0, 4, "MSxT") == 0 && w.compare(9, 4, "T02T") == 0)
            boards << QString::fromStdString(w.substr(4, 2));
    return boards;
}

QStringList traceOps(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList ops;
    for (const QString& l : QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts))
        ops << l.section('\t', 1, 1) + "|" + l.section('\t', 3, 3);
    return ops;
}

const std::vector<std::string> kOnlyIdentify{"IZ"};

}  // namespace

class TestReconnect : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!SerialLink::available()) QSKIP("built without Qt Serial Port");
        if (qEnvironmentVariableIsEmpty("ZMX_BINARY_DIR")) QSKIP("ZMX_BINARY_DIR is not set (run through CTest)");
        QVERIFY(QFileInfo(program("zmx7730-sim")).isExecutable());
    }

    void withoutReconnectTheProgramEnds() {
        SimProcess sim;
        QVERIFY(sim.start());
        auto f = runningWindow(sim, false);
        QVERIFY(f);
        QVERIFY(sim.plug(false));
        f->form->Timer1_Timer();
        QCOMPARE(f->exitStatus, 1);
        QCOMPARE(f->errorLines.size(), 1);
        QVERIFY(f->errorLines[0].contains("stopped answering"));
        QVERIFY(!f->form->linkStatusLine());
    }

    void sameControllerIsTakenBack() {
        SimProcess sim;
        QVERIFY(sim.start());
        QTemporaryDir dir;
        const QString trace = dir.filePath("trace.txt");
        auto f = runningWindow(sim, true, trace);
        QVERIFY(f);
        Form1& w = *f->form;
        StackState& st = w.st;
        const int board = st.scanBoard, step = st.sequenceStep;
        const QString caption = w.ui.Label_IDstring->text();
        QColor lamps[kSimBoards];
        for (int b = 0; b < kSimBoards; ++b) lamps[b] = w.ui.Shape12[b]->fillColor();

        QVERIFY(sim.plug(false));
        w.Timer1_Timer();
        QVERIFY(w.controllerLost());
        QCOMPARE(f->exitStatus, -1);
        QVERIFY(w.linkStatusLine()->isVisible() || !w.isVisible());
        QVERIFY(!w.linkStatusLine()->isHidden());
        QVERIFY2(w.linkStatusLine()->text().startsWith("LK200 lost: waiting for it to come back"),
                 qPrintable(w.linkStatusLine()->text()));
        QCOMPARE(int(st.continuousRunning), 1);
        // Nothing shown is lost while waiting, and only the identification goes out.
        QCOMPARE(w.ui.Label_IDstring->text(), caption);
        QCOMPARE(f->takeWrites(), kOnlyIdentify);
        for (int t = 0; t < 2; ++t) {
            w.Timer1_Timer();
            QCOMPARE(f->takeWrites(), kOnlyIdentify);
            QVERIFY(w.controllerLost());
        }
        for (int b = 0; b < kSimBoards; ++b) QCOMPARE(w.ui.Shape12[b]->fillColor(), lamps[b]);
        QCOMPARE(w.ui.Label_IDstring->text(), caption);

        QVERIFY(sim.plug(true));
        w.Timer1_Timer();
        QVERIFY(!w.controllerLost());
        const std::vector<std::string> back = f->takeWrites();
        QCOMPARE(back.front(), std::string("IZ"));
        QCOMPARE(configReadsOf(back), (QStringList{"80", "81", "82"}));  // every board, once
        QVERIFY2(w.linkStatusLine()->text().startsWith("LK200 back after"), qPrintable(w.linkStatusLine()->text()));
        for (int b = 0; b < kSimBoards; ++b) QCOMPARE(w.ui.Shape12[b]->fillColor(), QColor(0, 255, 0));

        // Continuous mode goes on with the read that was due when the controller went away.
        QCOMPARE(int(st.scanBoard), board);
        QCOMPARE(int(st.sequenceStep), step);
        w.Timer1_Timer();
        QVERIFY(int(st.scanBoard) != board || int(st.sequenceStep) != step);
        QVERIFY(f->takeWrites().size() > 1);
        QCOMPARE(f->exitStatus, -1);

        // The trace: the loss, identifications that got nothing, the return, the re-reads.
        const QStringList ops = traceOps(trace);
        const int lost = ops.indexOf(QRegularExpression("^LinkLost\\|no answer from serial:.*"));
        const int backAt = ops.indexOf(QRegularExpression("^LinkBack\\|after \\d+\\.\\d s$"));
        QVERIFY2(lost > 0 && backAt > lost, qPrintable(ops.join('\n')));
        QCOMPARE(ops.value(lost - 1), QString("Identify|"));
        const QStringList gap = ops.mid(lost + 1, backAt - lost - 1);
        QCOMPARE(gap.size(), 3);
        QCOMPARE(gap.mid(0, 2), QStringList(2, "Identify|"));
        QVERIFY(gap[2].startsWith("Identify|ZMX7730-4 LK200 SIMULATED STACK"));
    }

    // Another controller answering at the same port while the first is away is not taken.
    void differentControllerIsNotTaken() {
        SimProcess sim;
        QVERIFY(sim.start({"--replug-id", "ZMX7730-4 LK200 ANOTHER UNIT"}));
        QTemporaryDir dir;
        const QString trace = dir.filePath("trace.txt");
        auto f = runningWindow(sim, true, trace);
        QVERIFY(f);
        Form1& w = *f->form;
        QVERIFY(sim.plug(false));
        w.Timer1_Timer();
        QVERIFY(w.controllerLost());
        f->takeWrites();
        QVERIFY(sim.plug(true));
        for (int t = 0; t < 3; ++t) {
            w.Timer1_Timer();
            QVERIFY(w.controllerLost());
            const auto writes = f->takeWrites();
            QVERIFY2(writes == kOnlyIdentify, writes.empty() ? "none" : writes.back().c_str());
        }
        QVERIFY2(w.linkStatusLine()->text().contains("another controller answered"),
                 qPrintable(w.linkStatusLine()->text()));
        QCOMPARE(f->exitStatus, -1);
        const QStringList ops = traceOps(trace);
        QVERIFY(ops.filter(QRegularExpression("^LinkStranger\\|.*ANOTHER UNIT")).size() == 3);
        QVERIFY(ops.filter(QRegularExpression("^LinkBack")).isEmpty());
    }
};

QTEST_MAIN(TestReconnect)
#include "tst_reconnect.moc"
