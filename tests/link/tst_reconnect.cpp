// The window against zmx7730-sim on a pseudo-terminal while continuous mode runs and the
// controller is unplugged and plugged in again: without --reconnect the program ends as it
// always did; with it the window waits, takes back only the same controller (by the USB
// serial number the probes give its tty, else by identification and boards), reads every
// board's configuration again and carries on, and the trace shows the gap. Another stack
// behind the same path is refused with nothing of it reaching the session's listeners, and
// a tty that comes back under another name with the lost adapter's serial number is taken.

#include <unistd.h>
#include <QComboBox>
#include <QLabel>
#include <csignal>

#include <QtTest>

#include "link/LinkDiscovery.h"
#include "link/SerialLink.h"
#include "rules/CommandPanel.h"
#include "session/StackSession.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "window/shell/widgets/ShapeWidget.h"

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

// The window on a serial link to the simulator (or to `path`), three boards, continuous mode
// running; probes stand for the machine's serial ports when given.
std::unique_ptr<WindowFixture> runningWindow(const SimProcess& sim, bool reconnect, const QString& trace = {},
                                             const LinkProbes* probes = nullptr, const QString& path = {}) {
    auto f =
        std::make_unique<WindowFixture>(std::make_unique<SerialLink>((path.isEmpty() ? sim.pty : path).toStdString()));
    if (!trace.isEmpty()) f->link->openTrace(trace.toStdString());
    f->form->setReconnect(reconnect, probes);
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

// The machine's serial ports as a test sets them: pseudo-terminals with USB serial numbers.
struct FakePorts {
    std::vector<SerialPortSeen> ports;
    void set(const QString& path, const QString& serial) {
        std::erase_if(ports, [&](const SerialPortSeen& p) { return p.path == path.toStdString(); });
        ports.push_back({path.toStdString(), kFtdiVendorId, 0x6001, "LK200", serial.toStdString()});
    }
    LinkProbes probes() {
        LinkProbes p;
        p.serialPorts = [this] { return ports; };
        return p;
    }
};

// A name of the test's own for whichever pty it points at, switched in one step.
struct PtyAlias {
    QTemporaryDir dir;
    QString path = dir.filePath("lk200");
    bool pointAt(const QString& pty) {
        const QString next = dir.filePath("next");
        return ::symlink(pty.toLocal8Bit().constData(), next.toLocal8Bit().constData()) == 0 &&
               ::rename(next.toLocal8Bit().constData(), path.toLocal8Bit().constData()) == 0;
    }
};

// Counts what reaches the session's listeners (a recording, the stack view).
struct ReadCounter : SessionListener {
    int reads = 0;
    void onRead(const BoardRead&) override { ++reads; }
};

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
        // Before the return is told, the boards that answer are read (to judge it).
        const QStringList gap = ops.mid(lost + 1, backAt - lost - 1);
        QCOMPARE(gap.size(), 3 + kSimBoards);
        QCOMPARE(gap.mid(0, 2), QStringList(2, "Identify|"));
        QVERIFY(gap[2].startsWith("Identify|ZMX7730-4 LK200 SIMULATED STACK"));
        QCOMPARE(gap.mid(3).filter(QRegularExpression("^SendAndReceive\\|.+")).size(), kSimBoards);
        // The start-up said that a pty tells no serial number, so sameness is not proven.
        QCOMPARE(f->errorLines.size(), 1);
        QVERIFY2(f->errorLines[0].contains("tells no USB serial number"), qPrintable(f->errorLines[0]));
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

    // Another simulator behind the same path (the alias switched while the first is away):
    // refused when its adapter's serial number differs (only the identification goes out),
    // or, without serial numbers, when other boards answer; taken when nothing tells them
    // apart. A refused one leaves the window's state as it was and reaches no listener.
    void otherStackBehindTheSamePath_data() {
        QTest::addColumn<bool>("serials");
        QTest::addColumn<int>("otherBoards");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("why");
        QTest::newRow("other USB serial number") << true << kSimBoards << false << "USB serial B2, not A1";
        QTest::newRow("no serial number, other boards") << false << 2 << false << "boards 1, 2 answer, not 1, 2, 3";
        QTest::newRow("no serial number, same boards: cannot be told") << false << kSimBoards << true << "";
    }
    void otherStackBehindTheSamePath() {
        QFETCH(bool, serials);
        QFETCH(int, otherBoards);
        QFETCH(bool, taken);
        QFETCH(QString, why);
        SimProcess first, other;
        QVERIFY(first.start());
        QVERIFY(other.start({"--sim-boards", QString::number(otherBoards), "--seed", "9"}));
        PtyAlias alias;
        QVERIFY(alias.pointAt(first.pty));
        FakePorts machine;
        if (serials) {
            machine.set(first.pty, "A1");
            machine.set(other.pty, "B2");
        }
        const LinkProbes probes = machine.probes();
        QTemporaryDir dir;
        const QString trace = dir.filePath("trace.txt");
        auto f = runningWindow(first, true, trace, &probes, alias.path);
        QVERIFY(f);
        Form1& w = *f->form;
        QCOMPARE(f->errorLines.isEmpty(), serials);  // the warning without a serial number
        // A full pass, so every board has answered before the loss (one board every 3 ticks).
        for (int t = 0; t < 3 * kSimBoards; ++t) w.Timer1_Timer();
        ReadCounter listener;
        w.session().addListener(&listener);
        QColor lamps[kSimBoards];
        for (int b = 0; b < kSimBoards; ++b) lamps[b] = w.ui.Shape12[b]->fillColor();

        QVERIFY(first.plug(false));
        w.Timer1_Timer();
        QVERIFY(w.controllerLost());
        const auto verdicts = w.st.readStatus;
        const auto readback = w.st.rxConfig;
        QVERIFY(alias.pointAt(other.pty));
        f->takeWrites();
        for (int t = 0; t < 2 && w.controllerLost(); ++t) {
            w.Timer1_Timer();
            const auto writes = f->takeWrites();
            if (serials) QVERIFY2(writes == kOnlyIdentify, writes.empty() ? "none" : writes.back().c_str());
        }
        QCOMPARE(w.controllerLost(), !taken);
        QCOMPARE(f->exitStatus, -1);
        const QStringList ops = traceOps(trace);
        if (taken) {
            QCOMPARE(listener.reads, kSimBoards);  // the re-read, handed over once judged
            return;
        }
        QCOMPARE(listener.reads, 0);
        // Its reads left the state as it was (verdicts, read-back) and the window unpainted.
        QVERIFY(w.st.readStatus == verdicts);
        QCOMPARE(w.st.rxConfig, readback);
        for (int b = 0; b < kSimBoards; ++b) QCOMPARE(w.ui.Shape12[b]->fillColor(), lamps[b]);
        QVERIFY2(w.linkStatusLine()->text().contains(why), qPrintable(w.linkStatusLine()->text()));
        QCOMPARE(ops.filter(QRegularExpression("^LinkStranger\\|.*" + QRegularExpression::escape(why))).size(), 2);
        QVERIFY(ops.filter(QRegularExpression("^LinkBack")).isEmpty());
        // The lost controller itself is still taken back afterwards (the other one goes away
        // first, so the link opens the alias afresh).
        QVERIFY(other.plug(false));
        QVERIFY(alias.pointAt(first.pty));
        QVERIFY(first.plug(true));
        for (int t = 0; t < 3 && w.controllerLost(); ++t) w.Timer1_Timer();
        QVERIFY(!w.controllerLost());
        QCOMPARE(listener.reads, kSimBoards);
    }

    // The adapter comes back as another tty (the first no longer answers): the tty that now
    // has its USB serial number is taken, and the trace and status line name it.
    void ttyBackUnderAnotherName() {
        SimProcess first, moved;
        QVERIFY(first.start());
        QVERIFY(moved.start());
        FakePorts machine;
        machine.set(first.pty, "A1");
        machine.set(moved.pty, "C3");
        const LinkProbes probes = machine.probes();
        QTemporaryDir dir;
        const QString trace = dir.filePath("trace.txt");
        auto f = runningWindow(first, true, trace, &probes);
        QVERIFY(f);
        Form1& w = *f->form;
        QVERIFY(f->errorLines.isEmpty());
        QVERIFY(first.plug(false));
        w.Timer1_Timer();
        QVERIFY(w.controllerLost());
        w.Timer1_Timer();
        QVERIFY(w.controllerLost());  // nothing carries A1 yet
        machine.set(first.pty, "");
        machine.set(moved.pty, "A1");
        // The link's backend is replaced from here: the fixture's transfer record is no more.
        w.Timer1_Timer();
        QVERIFY(!w.controllerLost());
        QVERIFY2(w.linkStatusLine()->text().contains("on serial:" + moved.pty), qPrintable(w.linkStatusLine()->text()));
        QCOMPARE(QString::fromStdString(f->link->backend().name()), "serial:" + moved.pty);
        const QStringList ops = traceOps(trace);
        QCOMPARE(ops.filter(QRegularExpression(
                                "^LinkBack\\|after .* s, on serial:" + QRegularExpression::escape(moved.pty) + "$"))
                     .size(),
                 1);
        // Continuous mode carries on over the new tty.
        const int board = w.st.scanBoard, step = w.st.sequenceStep;
        w.Timer1_Timer();
        QVERIFY(!w.controllerLost());
        QVERIFY(int(w.st.scanBoard) != board || int(w.st.sequenceStep) != step);
        QCOMPARE(f->exitStatus, -1);
    }
};

ZMX_TEST_MAIN(tst_reconnect, TestReconnect, Full)
#include "tst_reconnect.moc"
