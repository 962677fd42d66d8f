// Datalog time stamps on the 12-hour clock and the VIEW tool tip figures.

#include <QtTest>

#include "rules/DatalogStamp.h"
#include "support/TestMain.h"

using namespace zmx;

class TestDatalogStamp : public QObject {
    Q_OBJECT
private slots:
    void stamps_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("timeDate");
        QTest::addColumn<QString>("dateTime");
        QTest::newRow("afternoon") << QDateTime(QDate(2026, 3, 14), QTime(13, 5, 9)) << "01:05:09 PM @ 03-14-2026"
                                   << "03-14-2026_01_05_09 PM";
        QTest::newRow("just after midnight")
            << QDateTime(QDate(2025, 12, 1), QTime(0, 0, 7)) << "12:00:07 AM @ 12-01-2025"
            << "12-01-2025_12_00_07 AM";
        QTest::newRow("noon") << QDateTime(QDate(2026, 1, 2), QTime(12, 30, 0)) << "12:30:00 PM @ 01-02-2026"
                              << "01-02-2026_12_30_00 PM";
        QTest::newRow("morning") << QDateTime(QDate(2026, 7, 4), QTime(9, 59, 59)) << "09:59:59 AM @ 07-04-2026"
                                 << "07-04-2026_09_59_59 AM";
    }
    void stamps() {
        QFETCH(QDateTime, now);
        QFETCH(QString, timeDate);
        QFETCH(QString, dateTime);
        QCOMPARE(QString::fromStdString(datalogTimeDate(now)), timeDate);
        QCOMPARE(QString::fromStdString(datalogDateTime(now)), dateTime);
    }

    void figures_data() {
        QTest::addColumn<int>("sample");
        QTest::addColumn<int>("done");
        QTest::addColumn<QString>("tip");
        QTest::newRow("running, 12 samples taken") << 13 << 0 << "VIEW 12 SAMPLES FOR 9.600 SECONDS.";
        QTest::newRow("first sample") << 1 << 0 << "VIEW 0 SAMPLES FOR 0.000 SECONDS.";
        QTest::newRow("nothing sampled yet") << 0 << 0 << "VIEW 0 SAMPLES FOR 0.000 SECONDS.";
        QTest::newRow("complete: setup figures") << 40 << 1 << "VIEW 25 SAMPLES FOR 20.500 SECONDS.";
    }
    void figures() {
        QFETCH(int, sample);
        QFETCH(int, done);
        QFETCH(QString, tip);
        StackState st;
        st.datalogSample = sample;
        st.datalogDone = static_cast<int16_t>(done);
        st.setupSamples = 25;
        st.setupSeconds = 20.5f;
        updateDatalogStamp(st, QDateTime(QDate(2026, 3, 14), QTime(13, 5, 9)));
        QCOMPARE(datalogViewToolTip(st.datalogSamplesShown, st.datalogSeconds), tip);
        QCOMPARE(QString::fromStdString(st.stampTimeDate), QString("01:05:09 PM @ 03-14-2026"));
    }
};

ZMX_TEST_MAIN(tst_datalogstamp, TestDatalogStamp, Full)
#include "tst_datalogstamp.moc"
