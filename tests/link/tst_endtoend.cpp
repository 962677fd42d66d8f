// The real programs end to end: zmx7730-sim serves the simulated stack on a pseudo-terminal,
// zmx7730-gui runs offscreen on it through the serial link, and the trace shows what went
// over the wire. Stopping the simulator ends the window at its next tick. Hardware links
// that cannot be had end the program at start-up with the cause named.

#include <QtTest>

#include "protocol/Hex.h"
#include "protocol/Pec.h"
#include "sim/SimStack.h"
#include "support/TestMain.h"

namespace {

QString program(const char* name) {
    return QDir(qEnvironmentVariable("ZMX_BINARY_DIR")).filePath(QString::fromLatin1(name));
}

QProcessEnvironment offscreen() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

QStringList traceLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

// The trace fields of a line: time, operation, request, reply.
QStringList fields(const QString& line) { return line.split('\t'); }

int countOf(const QStringList& lines, const QString& op, const QString& request) {
    int n = 0;
    for (const QString& l : lines) {
        const QStringList f = fields(l);
        if (f.size() >= 3 && f[1] == op && f[2] == request) ++n;
    }
    return n;
}

}  // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("ZMX_BINARY_DIR")) QSKIP("ZMX_BINARY_DIR is not set (run through CTest)");
        QVERIFY2(QFileInfo(program("zmx7730-gui")).isExecutable(), qPrintable(program("zmx7730-gui")));
        QVERIFY2(QFileInfo(program("zmx7730-sim")).isExecutable(), qPrintable(program("zmx7730-sim")));
    }

    void windowRunsOnTheSimulatorOverAPty() {
        QProcess sim;
        sim.start(program("zmx7730-sim"), {"--sim-boards", "3", "--seed", "7"});
        QVERIFY(sim.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 5000);
        const QString pty = QString::fromLatin1(sim.readLine()).trimmed();
        QVERIFY2(pty.startsWith("/dev/"), qPrintable(pty));

        QTemporaryDir dir;
        const QString trace = dir.filePath("trace.txt");
        QProcess gui;
        gui.setProcessEnvironment(offscreen());
        gui.start(program("zmx7730-gui"), {"--link", "serial:" + pty, "--trace", trace});
        QVERIFY(gui.waitForStarted(5000));

        // Start-up (identification, READ CONFIG of board 1) and then a few ticks, each of
        // which identifies again.
        QTRY_VERIFY_WITH_TIMEOUT(countOf(traceLines(trace), "Identify", "IZ") >= 15, 15000);
        QCOMPARE(gui.state(), QProcess::Running);
        const QStringList lines = traceLines(trace);
        // Start-up: the identification, then board 1's configuration read by the board-count
        // sweep of one board, by its re-read of the selected board, and by READ CONFIG.
        QStringList startUp;
        for (const QString& l : lines.mid(0, 4)) startUp << fields(l).mid(1, 2).join(' ');
        const QString rdcfg = "SendAndReceive MSxT80T49T02TCERRRRRRRX";
        QCOMPARE(startUp, (QStringList{"Identify IZ", rdcfg, rdcfg, rdcfg}));
        QCOMPARE(fields(lines[4]).value(1), QString("Identify"));
        for (const QString& l : lines) {
            const QStringList f = fields(l);
            QCOMPARE(f.size(), 4);
            if (f[1] == "Identify") QVERIFY2(f[3].startsWith("ZMX7730-4"), qPrintable(l));
            if (f[2] == "MSxT80T49T02TCERRRRRRRX") {
                // The echo of the four "T" bytes, the simulator's power-on configuration and its PEC.
                std::string want = "804902CE";
                for (uint8_t b : zmx::sim::kPowerOnConfig) want += zmx::byteText(b);
                want += zmx::byteText(zmx::pecOf(zmx::sim::kPowerOnConfig));
                QCOMPARE(f[3], QString::fromStdString(want));
            }
        }

        // The controller goes away: the next tick's identification fails and the window ends.
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY2(gui.waitForFinished(5000), "the window did not end after the controller went away");
        const QString err = QString::fromLocal8Bit(gui.readAllStandardError());
        QCOMPARE(gui.exitStatus(), QProcess::NormalExit);
        QVERIFY(gui.exitCode() != 0);
        QVERIFY2(err.contains("stopped answering") && err.contains("serial:" + pty), qPrintable(err));
    }

    void unavailableLinksEndAtStartUp_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QStringList>("oneOf");  // the line names one of these causes
        QTest::newRow("ftdi without a device")
            << "ftdi"
            << QStringList{"no FTDI device found", "USB bus could not be searched", "permission denied",
                           "held by the kernel's ftdi_sio driver", "no libftdi1 support"};
        QTest::newRow("d2xx without the library") << "d2xx" << QStringList{"could not be loaded"};
        QTest::newRow("serial device missing")
            << "serial:/dev/zmx-no-such-port" << QStringList{"cannot open /dev/zmx-no-such-port"};
    }
    void unavailableLinksEndAtStartUp() {
        QFETCH(QString, link);
        QFETCH(QStringList, oneOf);
        QProcess gui;
        QProcessEnvironment env = offscreen();
        env.insert("ZMX_D2XX_LIBRARY", "/nonexistent/libftd2xx.so");
        gui.setProcessEnvironment(env);
        gui.start(program("zmx7730-gui"), {"--link", link});
        QVERIFY(gui.waitForFinished(10000));
        const QString all = QString::fromLocal8Bit(gui.readAllStandardError());
        QVERIFY(gui.exitCode() != 0);
        // One line of the program's own (the toolkit may add warnings of its own).
        const QStringList own = all.split('\n').filter(QRegularExpression("^zmx7730-gui: "));
        QVERIFY2(own.size() == 1, qPrintable(all));
        const QString err = own[0];
        bool named = false;
        for (const QString& cause : oneOf) named = named || err.contains(cause);
        QVERIFY2(named, qPrintable(err));
        QVERIFY2(err.contains("--simulate"), qPrintable(err));
    }
};

ZMX_TEST_MAIN(tst_endtoend, TestEndToEnd, Core)
#include "tst_endtoend.moc"
