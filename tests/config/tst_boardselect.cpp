// Board selection and layout: the grid headers, board-button captions and board-number
// texts; and in the window the board count, the address list, board selection and the
// broadcast boxes.

#include <QtTest>

#include "config/BoardLayout.h"

using namespace zmx;

class TstBoardSelect : public QObject {
    Q_OBJECT
private slots:
    void boardHeader_data() {
        QTest::addColumn<int>("lastBoardIndex");
        QTest::addColumn<QString>("text");
        QTest::newRow("one board") << 0 << "BOARD#   1";
        QTest::newRow("three boards") << 2 << "BOARD#   1      2      3";
        QTest::newRow("ten boards") << 9 << "BOARD#   1      2      3      4      5      6      7      8      9     10";
    }
    void boardHeader() {
        QFETCH(int, lastBoardIndex);
        QTEST(QString::fromStdString(boardHeaderText(lastBoardIndex)), "text");
    }

    void addressHeader() {
        std::array<std::string, 11> addresses{"8A", "81", "82", "83", "84", "85", "86", "87", "88", "89", ""};
        QCOMPARE(QString::fromStdString(addressHeaderText(addresses, 0)), QString("ADDRESS 8A"));
        QCOMPARE(QString::fromStdString(addressHeaderText(addresses, 2)), QString("ADDRESS 8A    81    82"));
    }

    void buttonCaption_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("caption");
        QTest::newRow("board 1") << 0 << "80" << "BRD# 1    0x80";
        QTest::newRow("board 1 at 8A") << 0 << "8A" << "BRD# 1    0x8A";
        QTest::newRow("board 9") << 8 << "88" << "BRD# 9    0x88";
        QTest::newRow("board 10") << 9 << "89" << "BRD#10   0x89";
    }
    void buttonCaption() {
        QFETCH(int, slot);
        QFETCH(QString, address);
        QTEST(QString::fromStdString(boardButtonCaption(slot, address.toStdString())), "caption");
    }

    void banners_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("board 1") << 0
                                 << QStringList{"1", "CUSTOM  BOARD # 1", "CUSTOM BRD# 1",
                                                "SET/ DISPLAY BOARD # 1 AT HEX ADDRESS", "BOARD# 1 ONLY", "BRD#1",
                                                "READ ONLY BRD#1 CELLS FOR SELFTEST IN HEX.",
                                                "READ ONLY BRD#1 TEMPS FOR SELFTEST IN HEX."};
        QTest::newRow("board 10") << 9
                                  << QStringList{"10", "CUSTOM  BOARD #10", "CUSTOM BRD#10",
                                                 "SET/ DISPLAY BOARD#10 AT HEX ADDRESS", "BOARD#10 ONLY", "BRD#10",
                                                 "READ ONLY BRD#10 CELLS FOR SELFTEST IN HEX.",
                                                 "READ ONLY BRD#10 TEMPS FOR SELFTEST IN HEX."};
    }
    void banners() {
        QFETCH(int, slot);
        QFETCH(QStringList, texts);
        const BoardBanners b = boardBanners(slot);
        const QStringList got{QString::fromStdString(b.label21),      QString::fromStdString(b.customVoltage),
                              QString::fromStdString(b.customCfgr0),  QString::fromStdString(b.addressPrompt),
                              QString::fromStdString(b.boardOnly),    QString::fromStdString(b.companion),
                              QString::fromStdString(b.cellHexTip),   QString::fromStdString(b.tempHexTip)};
        QCOMPARE(got, texts);
    }

    void addressDigits_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("digit");
        QTest::newRow("80") << "80" << 0;
        QTest::newRow("8A") << "8A" << 10;
        QTest::newRow("8F") << "8F" << 15;
        QTest::newRow("lower case") << "8a" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void addressDigits() {
        QFETCH(QString, address);
        QFETCH(int, digit);
        QCOMPARE(addressDigitIndex(address.toStdString()), digit);
        if (digit >= 0) QCOMPARE(QString::fromStdString(addressOfDigitIndex(digit)), address);
    }
};

QTEST_MAIN(TstBoardSelect)
#include "tst_boardselect.moc"
