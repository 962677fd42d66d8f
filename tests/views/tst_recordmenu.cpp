// The Record menu on the real window over the simulated stack, against real SQLite files:
// a recording keeps every read and plays back in the stack view without a transfer, a
// target that cannot be used says why, export writes the chosen format, the target is
// remembered; and the program itself records its start-up reads and dumps the stack view.

#include <QComboBox>
#include <QtTest>

#include <csignal>

#include <QAction>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "record/RecordReader.h"
#include "record/RecordWriter.h"
#include "session/StackSession.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "views/ReplayTimeline.h"
#include "views/widgets/HeatmapTable.h"
#include "views/widgets/RecordMenu.h"
#include "views/widgets/StackViewWindow.h"
#include "views/widgets/ViewMenus.h"

using namespace zmx;
using namespace zmx::test;

namespace {

constexpr int kRecordedBoards = 3;

// Three boards measuring, then one pass of continuous mode.
void runOnePass(WindowFixture& f) {
    Form1& w = *f.form;
    w.ui.Combo1->setCurrentIndex(kRecordedBoards - 1);
    w.Combo1_Click();
    w.Command0_Click(1);   // CDC up
    w.Command1_Click(5);   // WRITE CONFIG
    w.Command1_Click(10);  // START CONTINUOUS
    for (int t = 0; t < 3 * kRecordedBoards; ++t) w.Timer1_Timer();
    w.Command1_Click(10);  // STOP
    w.Timer1.stop();
}

int recordedWrites(const QString& target) {
    std::string error;
    auto reader = RecordReader::open(target.toStdString(), &error);
    const auto id = reader ? reader->latestId() : std::nullopt;
    return id ? static_cast<int>(reader->configWrites(*id).size()) : -1;
}

std::vector<BoardRead> recordedReads(const QString& target) {
    std::string error;
    auto reader = RecordReader::open(target.toStdString(), &error);
    if (!reader) return {};
    const auto id = reader->latestId();
    std::vector<BoardRead> out;
    if (!id) return out;
    for (StoredRead& r : reader->reads(*id, 0, 100000)) out.push_back(std::move(r.read));
    return out;
}

QString program(const char* name) {
    return QDir(qEnvironmentVariable("ZMX_BINARY_DIR")).filePath(QString::fromLatin1(name));
}

}  // namespace

class TestRecordMenu : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void recordingKeepsEveryReadAndReplaysWithoutATransfer() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("r.sqlite"));
        WindowFixture f;
        ViewMenus views(*f.form);
        RecordMenu record(*f.form, views, QStringLiteral("sim"));
        QString error;
        QVERIFY2(record.startRecording(target, &error), qPrintable(error));
        QVERIFY(record.recording());
        QCOMPARE(RecordMenu::rememberedTarget(), target);
        QVERIFY(f.load());
        f.sim->setCellVolts(1, 4, 3.456);
        runOnePass(f);
        record.updateStatus();
        QVERIFY2(record.statusLine().startsWith(QStringLiteral("Recording to ") + target),
                 qPrintable(record.statusLine()));
        record.stopRecording();
        QVERIFY(!record.recording());
        QVERIFY2(record.statusLine().contains(QStringLiteral("stopped")), qPrintable(record.statusLine()));

        // Every read of the window is in the file: start-up's configuration reads included.
        const std::vector<BoardRead> reads = recordedReads(target);
        const int kept = static_cast<int>(reads.size());
        QVERIFY(kept >= 3 * kRecordedBoards + 1);
        QCOMPARE(reads.front().kind, ReadKind::Config);
        const int rows = kept + recordedWrites(target);  // reads and configuration writes
        QVERIFY2(record.statusLine().contains(QStringLiteral(": %1 rows written").arg(rows)),
                 qPrintable(record.statusLine()));

        // Open it: the stack view replays the recorded values and nothing goes out.
        f.takeWrites();
        const std::size_t transfers = f.recorder->transfers.size();
        QVERIFY2(record.openRecording(target, &error), qPrintable(error));
        StackViewWindow* v = views.stackView();
        QVERIFY(v && v->replaying());
        v->seekReplay(v->replay()->lastMs());
        v->refresh(true);
        QCOMPARE(v->heatmap()->item(1, 3)->text(), QStringLiteral("3.456"));
        v->seekReplay(v->replay()->firstMs());
        v->refresh(true);
        // At the start (the reads of its first millisecond) no cell has been read yet.
        const QTableWidgetItem* early = v->heatmap()->item(1, 3);
        QVERIFY(!early || early->text().isEmpty());
        v->setPlaying(true);
        for (int i = 0; i < 100 && v->playing(); ++i) v->playStep(1000);
        QVERIFY(f.takeWrites().empty());
        QCOMPARE(f.recorder->transfers.size(), transfers);
    }

    void targetsThatCannotBeUsedSayWhy_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("missing folder") << QStringLiteral("/nonexistent/folder/r.sqlite");
        QTest::newRow("unreachable server") << QStringLiteral("postgresql://nobody@127.0.0.1:1/none");
    }
    void targetsThatCannotBeUsedSayWhy() {
        QFETCH(QString, target);
        WindowFixture f;
        ViewMenus views(*f.form);
        RecordMenu record(*f.form, views, QStringLiteral("sim"));
        QVERIFY(f.load());
        // Through the menu, as a user meets it: a message that names the target.
        record.setPrompts({[&](const QString&, const QString&) { return target; }, {}});
        f.form->findChild<QAction*>(QStringLiteral("mnuRecordStart"))->trigger();
        QVERIFY(!record.recording());
        QCOMPARE(f.messages.size(), 1);
        QVERIFY2(f.messages[0].startsWith(QStringLiteral("Cannot record to ") + target + QStringLiteral(": ")),
                 qPrintable(f.messages[0]));
        QVERIFY(f.messages[0].size() > target.size() + 20);  // and a reason
        // Opening it for replay fails the same way, and leaves the view alone.
        QString error;
        QVERIFY(!record.openRecording(target, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!views.stackView());
    }

    void exportWritesTheChosenFormat() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("e.sqlite"));
        WindowFixture f;
        ViewMenus views(*f.form);
        RecordMenu record(*f.form, views, QStringLiteral("sim"));
        QString error;
        // Nothing recorded anywhere yet.
        QSettings().remove(QStringLiteral("record/target"));
        QVERIFY(!record.exportRecording(dir.filePath(QStringLiteral("x.csv")), &error));
        QVERIFY(error.contains(QStringLiteral("Nothing has been recorded")));
        QVERIFY(record.startRecording(target, &error));
        QVERIFY(f.load());
        runOnePass(f);
        // While recording: what is queued is written first.
        const QString csv = dir.filePath(QStringLiteral("x.csv"));
        record.setPrompts({{}, [&](const QString&, const QString&) { return csv; }});
        f.form->findChild<QAction*>(QStringLiteral("mnuRecordExport"))->trigger();
        QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join('\n')));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.size() >= 1 + kRecordedBoards, qPrintable(lines.join('\n')));
        record.stopRecording();
        // After the stop, the remembered target's latest recording, as a workbook.
        const QString xlsx = dir.filePath(QStringLiteral("x.xlsx"));
        QVERIFY2(record.exportRecording(xlsx, &error), qPrintable(error));
        QFile book(xlsx);
        QVERIFY(book.open(QIODevice::ReadOnly));
        QCOMPARE(book.read(2), QByteArray("PK"));  // a zip container
    }

    void menusStandBesideTheWindowsOwn() {
        WindowFixture f;
        ViewMenus views(*f.form);
        RecordMenu record(*f.form, views, QStringLiteral("sim"));
        QStringList titles;
        for (QAction* a : f.form->menuBar()->actions()) titles << a->text();
        QCOMPARE(titles.mid(0, 2), (QStringList{f.form->ui.mnuFile->title(), f.form->ui.mnuDatalog->title()}));
        QVERIFY(titles.contains(QStringLiteral("&View")));
        QVERIFY(titles.contains(QStringLiteral("&Record")));
        QVERIFY(!f.form->findChild<QAction*>(QStringLiteral("mnuRecordStop"))->isEnabled());
        QVERIFY(!f.form->findChild<QAction*>(QStringLiteral("mnuRecordStatus"))->isEnabled());
    }

    // The program with --simulate --record --stack-view: the start-up reads are recorded,
    // and the dump written at exit lists the stack view's controls by object name.
    void programRecordsStartUpAndDumpsTheStackView() {
        if (qEnvironmentVariableIsEmpty("ZMX_BINARY_DIR")) QSKIP("ZMX_BINARY_DIR is not set (run through CTest)");
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("r.sqlite"));
        const QString dump = dir.filePath(QStringLiteral("d.json"));
        QProcess gui;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        gui.setProcessEnvironment(env);
        gui.start(program("zmx7730-gui"), {"--simulate", "--record", target, "--stack-view", "--dump-window", dump});
        QVERIFY(gui.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(!recordedReads(target).empty(), 15000);
        ::kill(static_cast<pid_t>(gui.processId()), SIGTERM);
        QVERIFY(gui.waitForFinished(15000));
        QCOMPARE(gui.exitCode(), 0);

        const std::vector<BoardRead> reads = recordedReads(target);
        QVERIFY(!reads.empty());
        QCOMPARE(reads.front().kind, ReadKind::Config);  // start-up's READ CONFIG of board 1
        QCOMPARE(reads.front().slot, 0);
        QVERIFY(reads.front().pecMatch);

        QFile f(dump);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
        const QJsonArray windows = root.value(QStringLiteral("windows")).toArray();
        QCOMPARE(windows.size(), 1);
        QStringList names;
        for (const QJsonValue& c : windows.at(0)[QStringLiteral("controls")].toArray())
            names << c[QStringLiteral("name")].toString();
        for (const char* n : {"Heatmap", "TrendChart", "HealthTable", "RecordStatus", "ReplaySlider"})
            QVERIFY2(names.contains(QLatin1String(n)), n);
        QStringList added;
        for (const QJsonValue& c : root.value(QStringLiteral("added")).toArray())
            added << c[QStringLiteral("name")].toString();
        for (const char* n : {"mnuRecord", "mnuRecordStart", "mnuRecordStop", "mnuRecordExport", "mnuRecordOpen"})
            QVERIFY2(added.contains(QLatin1String(n)), n);
    }
};

ZMX_TEST_MAIN(tst_recordmenu, TestRecordMenu, Full)
#include "tst_recordmenu.moc"
