// "Excel Out Test" on the real window: the saved workbook, its name and folder, opening it,
// and every way it can fail, with the tool's state left as it was.

#include <QtTest>

#include "record/DatalogWorkbook.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "support/XlsxReader.h"

using namespace zmx;

namespace {

const QDateTime kAfternoon(QDate(2026, 12, 7), QTime(14, 5, 9));
const QString kAfternoonName = "12-07-2026_02_05_09 PM_EXCELoutTEST.xlsx";

QString letters(int col) {
    QString s;
    for (; col > 0; col = (col - 1) / 26) s.prepend(QChar('A' + (col - 1) % 26));
    return s;
}

// Every cell of the header as the layout table gives it, for ten boards at their start-up
// addresses and no datalog yet.
QMap<QString, QString> expectedHeader(const QString& path) {
    QMap<QString, QString> m{{"A1", path},
                             {"A2", "ZMX7720-2 DATALOGGING SPREADSHEET"},
                             {"B3", "DATALOG SETUP MADE   = "},
                             {"B4", "SECONDS = 0.000"},
                             {"B5", "SAMPLES = 0"},
                             {"B6", "CURRENT DATALOG VIEW = "},
                             {"B7", "SECONDS = 0.000"},
                             {"B8", "SAMPLES = 0"},
                             {"A10", "SAMPLE"},
                             {"A11", "POINT"}};
    QStringList names{"TIME STAMP", "RD-CFGR0-5", "RD-FLGR0-2", "UVTHR", "OVTHR"};
    QStringList units{"Date/Time", "HEX", "HEX", "VOLTS", "VOLTS"};
    for (int k = 1; k <= 12; ++k) names << QString("CV%1").arg(k), units << "VOLTS";
    names << "CELL1 - CELL12 STATUS"
          << "ETMP1"
          << "ETMP2"
          << "ITMP1";
    units << "STATUS"
          << "VOLTS"
          << "VOLTS"
          << "VOLTS";
    const QStringList legend{"STATUS LEGEND",         "NR = NO READING",       "OK = GOOD",
                             "DC = DISCHARGE",        "UV = UNDER VOLTAGE",    "OV = OVER VOLTAGE",
                             "MI = MASKED INTERRUPT", "MD = MASKED DISCHARGE", "TS = THERMAL SHUTDOWN"};
    for (int b = 0; b < 10; ++b) {
        const QString prefix = QString("(%1-8%2) ").arg(b + 1).arg(b);
        for (int i = 0; i < 21; ++i) {
            m[letters(21 * b + 2 + i) + "10"] = prefix + names[i];
            m[letters(21 * b + 2 + i) + "11"] = units[i];
        }
        for (int r = 0; r < 9; ++r) m[letters(21 * b + 19) + QString::number(r + 1)] = legend[r];
    }
    return m;
}

QString blockedFolder(QTemporaryFile& file) {
    file.open();
    return file.fileName() + "/cannot-exist";  // under a file: not even root can write there
}

}  // namespace

class TestExport : public QObject {
    Q_OBJECT
private slots:
    // The menu item writes the header of ten blocks, saves it under the time-stamped name,
    // opens it, and leaves the board count alone.
    void exportsAndOpens_data() {
        QTest::addColumn<int>("lastBoardIndex");
        QTest::newRow("one board") << 0;
        QTest::newRow("four boards") << 3;
        QTest::newRow("ten boards") << 9;
    }
    void exportsAndOpens() {
        QFETCH(int, lastBoardIndex);
        test::WindowFixture f;
        QVERIFY(f.load());
        QTemporaryDir dir;
        f.form->exportFolders = [&] { return QStringList{dir.path()}; };
        f.fixedNow = kAfternoon;
        f.form->st.lastBoardIndex = static_cast<int16_t>(lastBoardIndex);
        const StackState before = f.form->st;

        f.form->ui.mnuExcelOutTest->trigger();

        QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join('\n')));
        const QString path = QDir(dir.path()).filePath(kAfternoonName);
        QCOMPARE(f.openedFiles, QStringList{path});
        QCOMPARE(f.form->st.lastBoardIndex, before.lastBoardIndex);
        QCOMPARE(f.form->st.selectedBoard, before.selectedBoard);
        const test::SheetContents sheet = test::readFirstSheet(path);
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.text, expectedHeader(path));  // every title, heading, unit and legend cell
        QVERIFY(sheet.bold.contains("A1") && sheet.bold.contains("HC11"));
        QVERIFY(f.exitStatus == -1);
    }

    // The addresses the user chose appear in the headings.
    void headingsFollowTheAddresses() {
        test::WindowFixture f;
        QVERIFY(f.load());
        QTemporaryDir dir;
        f.form->exportFolders = [&] { return QStringList{dir.path()}; };
        f.form->st.boardAddressHex[1] = "8C";
        f.form->mnuExcelOutTest_Click();
        QCOMPARE(f.openedFiles.size(), 1);
        const test::SheetContents sheet = test::readFirstSheet(f.openedFiles[0]);
        QCOMPARE(sheet.text.value("W10"), QString("(2-8C) TIME STAMP"));
    }

    void twoExportsInOneSecondShareTheName() {
        test::WindowFixture f;
        QVERIFY(f.load());
        QTemporaryDir dir;
        f.form->exportFolders = [&] { return QStringList{dir.path()}; };
        f.fixedNow = kAfternoon;
        f.form->mnuExcelOutTest_Click();
        f.fixedNow = kAfternoon.addMSecs(900);
        f.form->mnuExcelOutTest_Click();
        QCOMPARE(f.openedFiles.size(), 2);
        QCOMPARE(f.openedFiles[0], f.openedFiles[1]);
        QCOMPARE(QDir(dir.path()).entryList({"*.xlsx"}), QStringList{kAfternoonName});
        QVERIFY(f.messages.isEmpty());
    }

    void fallsBackToTheSecondFolder() {
        test::WindowFixture f;
        QVERIFY(f.load());
        QTemporaryDir docs;
        QTemporaryFile file;
        const QString blocked = blockedFolder(file);
        f.form->exportFolders = [&] { return QStringList{blocked, docs.path()}; };
        f.fixedNow = kAfternoon;
        f.form->mnuExcelOutTest_Click();
        QCOMPARE(f.openedFiles, QStringList{QDir(docs.path()).filePath(kAfternoonName)});
        QCOMPARE(test::readFirstSheet(f.openedFiles[0]).text.value("A1"), f.openedFiles[0]);
    }

    // Failures are reported with the path and the reason; nothing is opened, nothing ends,
    // and the window goes on working.
    void failuresAreReported_data() {
        QTest::addColumn<int>("failure");  // 0 no folder, 1 save fails, 2 open fails
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("no writable folder") << 0 << QStringList{"could not be saved", "cannot-exist", "cannot-exist2"};
        QTest::newRow("save fails") << 1 << QStringList{"could not be saved as", kAfternoonName};
        QTest::newRow("file cannot be opened") << 2 << QStringList{"could not be opened", kAfternoonName, "no viewer"};
    }
    void failuresAreReported() {
        QFETCH(int, failure);
        QFETCH(QStringList, mentions);
        test::WindowFixture f;
        QVERIFY(f.load());
        QTemporaryDir dir;
        QTemporaryFile file;
        const QString blocked = blockedFolder(file);
        f.fixedNow = kAfternoon;
        if (failure == 0) f.form->exportFolders = [&] { return QStringList{blocked, blocked + "2"}; };
        else f.form->exportFolders = [&] { return QStringList{dir.path()}; };
        if (failure == 1) QVERIFY(QDir().mkpath(QDir(dir.path()).filePath(kAfternoonName)));
        if (failure == 2)
            f.form->seams().openFile = [](const QString&, QString* why) {
                *why = "no viewer";
                return false;
            };
        const int boardsBefore = f.form->st.lastBoardIndex;

        f.form->mnuExcelOutTest_Click();

        QCOMPARE(f.messages.size(), 1);
        for (const QString& m : mentions) QVERIFY2(f.messages[0].contains(m), qPrintable(f.messages[0]));
        QVERIFY(f.openedFiles.isEmpty());
        QCOMPARE(int(f.form->st.lastBoardIndex), boardsBefore);
        QCOMPARE(f.exitStatus, -1);
        // The tool keeps running: a tick still identifies and does not end the program.
        f.form->Timer1_Timer();
        QCOMPARE(f.exitStatus, -1);
    }
};

ZMX_TEST_MAIN(tst_export, TestExport, Full)
#include "tst_export.moc"
