// The datalog header workbook without a window: its file name, column names, every cell
// text of the header, the folder choice, and the saved file as a spreadsheet reads it.

#include <QtTest>

#include "record/DatalogWorkbook.h"
#include "support/TestMain.h"
#include "support/XlsxReader.h"

using namespace zmx;

namespace {

DatalogHeaderInputs defaultInputs(const QString& path) {
    DatalogHeaderInputs in;
    in.savedPath = path;
    for (int b = 0; b < kExportBlocks; ++b) in.boardAddressHex[b] = "8" + std::to_string(b);
    return in;
}

QMap<QString, QString> cellsByName(const SheetLayout& l) {
    QMap<QString, QString> m;
    for (const SheetCell& c : l.cells)
        m[QString::fromStdString(columnName(c.col)) + QString::number(c.row)] = QString::fromStdString(c.text);
    return m;
}

}  // namespace

class TestDatalogWorkbook : public QObject {
    Q_OBJECT
private slots:
    void fileName_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("expected");
        QTest::newRow("afternoon") << QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9))
                                   << "12-07-2026_02_05_09 PM_EXCELoutTEST.xlsx";
        QTest::newRow("midnight is 12 AM")
            << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0)) << "01-01-2027_12_00_00 AM_EXCELoutTEST.xlsx";
        QTest::newRow("noon is 12 PM") << QDateTime(QDate(2026, 6, 30), QTime(12, 30, 59))
                                       << "06-30-2026_12_30_59 PM_EXCELoutTEST.xlsx";
        QTest::newRow("morning") << QDateTime(QDate(2026, 3, 4), QTime(9, 8, 7))
                                 << "03-04-2026_09_08_07 AM_EXCELoutTEST.xlsx";
        QTest::newRow("milliseconds do not show")
            << QDateTime(QDate(2026, 3, 4), QTime(23, 59, 59, 999)) << "03-04-2026_11_59_59 PM_EXCELoutTEST.xlsx";
    }
    void fileName() {
        QFETCH(QDateTime, now);
        QFETCH(QString, expected);
        QCOMPARE(exportFileName(now), expected);
    }

    void lastBlockColumnNames_data() {
        QTest::addColumn<int>("boards");
        QTest::addColumn<QString>("name");
        const char* names[] = {"V", "AQ", "BL", "CG", "DB", "DW", "ER", "FM", "GH", "HC"};
        for (int n = 1; n <= 10; ++n) QTest::addRow("%d boards", n) << n << names[n - 1];
    }
    void lastBlockColumnNames() {
        QFETCH(int, boards);
        QFETCH(QString, name);
        QCOMPARE(QString::fromStdString(columnName(lastBlockColumn(boards))), name);
    }

    void header_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("text");
        QTest::newRow("A2 title") << "A2"
                                  << "ZMX7720-2 DATALOGGING SPREADSHEET";
        QTest::newRow("B3 no setup yet") << "B3"
                                         << "DATALOG SETUP MADE   = ";
        QTest::newRow("B4") << "B4"
                            << "SECONDS = 0.000";
        QTest::newRow("B5") << "B5"
                            << "SAMPLES = 0";
        QTest::newRow("B6") << "B6"
                            << "CURRENT DATALOG VIEW = ";
        QTest::newRow("B7") << "B7"
                            << "SECONDS = 0.000";
        QTest::newRow("B8") << "B8"
                            << "SAMPLES = 0";
        QTest::newRow("A10") << "A10"
                             << "SAMPLE";
        QTest::newRow("A11") << "A11"
                             << "POINT";
        QTest::newRow("board 1 time stamp") << "B10"
                                            << "(1-80) TIME STAMP";
        QTest::newRow("board 1 time unit") << "B11"
                                           << "Date/Time";
        QTest::newRow("board 1 config") << "C10"
                                        << "(1-80) RD-CFGR0-5";
        QTest::newRow("board 1 config unit") << "C11"
                                             << "HEX";
        QTest::newRow("board 1 flags") << "D10"
                                       << "(1-80) RD-FLGR0-2";
        QTest::newRow("board 1 UV") << "E10"
                                    << "(1-80) UVTHR";
        QTest::newRow("board 1 OV") << "F10"
                                    << "(1-80) OVTHR";
        QTest::newRow("board 1 CV1") << "G10"
                                     << "(1-80) CV1";
        QTest::newRow("board 1 CV12") << "R10"
                                      << "(1-80) CV12";
        QTest::newRow("board 1 CV12 unit") << "R11"
                                           << "VOLTS";
        QTest::newRow("board 1 status") << "S10"
                                        << "(1-80) CELL1 - CELL12 STATUS";
        QTest::newRow("board 1 status unit") << "S11"
                                             << "STATUS";
        QTest::newRow("board 1 ETMP1") << "T10"
                                       << "(1-80) ETMP1";
        QTest::newRow("board 1 ITMP1") << "V10"
                                       << "(1-80) ITMP1";
        QTest::newRow("legend head") << "S1"
                                     << "STATUS LEGEND";
        QTest::newRow("legend NR") << "S2"
                                   << "NR = NO READING";
        QTest::newRow("legend MI") << "S7"
                                   << "MI = MASKED INTERRUPT";
        QTest::newRow("legend TS") << "S9"
                                   << "TS = THERMAL SHUTDOWN";
        QTest::newRow("board 2 starts at W") << "W10"
                                             << "(2-81) TIME STAMP";
        QTest::newRow("board 2 legend") << "AN1"
                                        << "STATUS LEGEND";
        QTest::newRow("board 10 ends at HC") << "HC10"
                                             << "(10-89) ITMP1";
        QTest::newRow("board 10 last unit") << "HC11"
                                            << "VOLTS";
        QTest::newRow("board 10 legend") << "GZ9"
                                         << "TS = THERMAL SHUTDOWN";
    }
    void header() {
        QFETCH(QString, cell);
        QFETCH(QString, text);
        const auto cells = cellsByName(datalogHeaderLayout(defaultInputs("/x/y.xlsx")));
        QCOMPARE(cells.value(cell), text);
    }

    void headerShape() {
        const SheetLayout l = datalogHeaderLayout(defaultInputs("/x/y.xlsx"));
        const auto cells = cellsByName(l);
        QCOMPARE(cells.value("A1"), QString("/x/y.xlsx"));
        // 10 blocks x (21 headings + 21 units + 9 legend) + A1, A2, B3..B8, A10, A11.
        QCOMPARE(int(l.cells.size()), 10 * 51 + 10);
        QVERIFY(!cells.contains("HD10"));
        QCOMPARE(l.boldLastCol, 211);
        QCOMPARE(l.boldLastRow, 11);
        // Every column of the header is widened to its longest text.
        QCOMPARE(int(l.columnWidths.size()), 211);
        QCOMPARE(l.columnWidths.at(2), fittedWidth("DATALOG SETUP MADE   = "));
        QCOMPARE(l.columnWidths.at(19), fittedWidth("(1-80) CELL1 - CELL12 STATUS"));
    }

    void datalogValuesShow() {
        DatalogHeaderInputs in = defaultInputs("p");
        in.setupStamp = "12/07/2026 2:05:09 PM";
        in.setupSeconds = 1.5f;
        in.setupSamples = 250;
        in.stampTimeDate = "12/07/2026 2:06:00 PM";
        in.datalogSeconds = 0.1f;
        in.datalogSamplesShown = 12;
        in.boardAddressHex[9] = "8F";
        const auto cells = cellsByName(datalogHeaderLayout(in));
        QCOMPARE(cells.value("B3"), QString("DATALOG SETUP MADE   = 12/07/2026 2:05:09 PM"));
        QCOMPARE(cells.value("B4"), QString("SECONDS = 1.500"));
        QCOMPARE(cells.value("B5"), QString("SAMPLES = 250"));
        QCOMPARE(cells.value("B6"), QString("CURRENT DATALOG VIEW = 12/07/2026 2:06:00 PM"));
        QCOMPARE(cells.value("B7"), QString("SECONDS = 0.100"));
        QCOMPARE(cells.value("B8"), QString("SAMPLES = 12"));
        QCOMPARE(cells.value("GI10"), QString("(10-8F) TIME STAMP"));
    }

    // The saved file, read back through its shared strings, holds the layout; the header
    // range is bold and the columns are widened.
    void savedFileReadsBack() {
        QTemporaryDir dir;
        const QString path = dir.filePath("06-30-2026_12_30_59 PM_EXCELoutTEST.xlsx");
        const SheetLayout l = datalogHeaderLayout(defaultInputs(path));
        QString error;
        QVERIFY2(writeDatalogWorkbook(path, l, &error), qPrintable(error));
        const test::SheetContents sheet = test::readFirstSheet(path);
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.text.value("A1"), path);
        QCOMPARE(sheet.text.value("B10"), QString("(1-80) TIME STAMP"));
        QCOMPARE(sheet.text.value("HC10"), QString("(10-89) ITMP1"));
        QCOMPARE(sheet.text.value("S9"), QString("TS = THERMAL SHUTDOWN"));
        QCOMPARE(sheet.text.size(), int(l.cells.size()));
        for (const char* c : {"A1", "A2", "B8", "HC11", "C1", "HC1"}) QVERIFY2(sheet.bold.contains(c), qPrintable(c));
        QVERIFY(sheet.widths.value("A") >= path.size());
        QVERIFY(sheet.widths.value("S") >= QString("(1-80) CELL1 - CELL12 STATUS").size());
        QVERIFY(sheet.widths.contains("HC"));
        QVERIFY(!sheet.widths.contains("HD"));
    }

    void saveFailureSaysWhy() {
        QTemporaryDir dir;
        // A folder where the file should go makes the save fail.
        const QString path = dir.filePath("taken.xlsx");
        QVERIFY(QDir().mkpath(path));
        QString error;
        QVERIFY(!writeDatalogWorkbook(path, datalogHeaderLayout(defaultInputs(path)), &error));
        QVERIFY(!error.isEmpty());
    }

    void folderChoice() {
        QTemporaryDir writable;
        QTemporaryFile notAFolder;
        QVERIFY(notAFolder.open());
        const QString blocked = notAFolder.fileName() + "/sub";  // under a file: never writable
        QString why;
        QCOMPARE(chooseExportFolder({blocked, writable.path()}, &why), QDir(writable.path()).absolutePath());
        QCOMPARE(chooseExportFolder({writable.path(), blocked}, &why), QDir(writable.path()).absolutePath());
        QVERIFY(chooseExportFolder({blocked, blocked + "2"}, &why).isEmpty());
        QVERIFY(why.contains(blocked) && why.contains(blocked + "2"));
        // A documents folder that does not exist yet is made.
        const QString fresh = writable.filePath("Documents");
        QCOMPARE(chooseExportFolder({blocked, fresh}, &why), fresh);
        // The probe leaves nothing behind.
        QCOMPARE(QDir(fresh).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 0);
    }
};

ZMX_TEST_MAIN(tst_datalogworkbook, TestDatalogWorkbook, Core)
#include "tst_datalogworkbook.moc"
