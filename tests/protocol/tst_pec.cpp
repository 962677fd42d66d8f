// The packet error code, the hex helpers and the reply parsers.

#include <QtTest>

#include "protocol/Hex.h"
#include "protocol/Pec.h"
#include "protocol/ReadDecode.h"
#include "protocol/ReplyParsers.h"
#include "support/TestMain.h"

using namespace zmx;

class TestPec : public QObject {
    Q_OBJECT
private slots:
    void tableEntries_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("value");
        QTest::newRow("1") << 1 << 0x07;
        QTest::newRow("2") << 2 << 0x0E;
        QTest::newRow("3") << 3 << 0x09;
        QTest::newRow("128") << 128 << 0x89;
        QTest::newRow("255") << 255 << 0xF3;
    }
    void tableEntries() {
        QFETCH(int, index);
        QFETCH(int, value);
        QCOMPARE(int(pecTable[index]), value);
    }

    void knownPecs_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("pec");
        QTest::newRow("WRCFG") << QByteArray("\x01", 1) << 0xC7;
        QTest::newRow("RDCFG") << QByteArray("\x02", 1) << 0xCE;
        QTest::newRow("RDFLG") << QByteArray("\x0C", 1) << 0xE4;
        QTest::newRow("RDTMP") << QByteArray("\x0E", 1) << 0xEA;
        QTest::newRow("PLADC") << QByteArray("\x40", 1) << 0x07;
        QTest::newRow("RDDGNR") << QByteArray("\x54", 1) << 0x6B;
        QTest::newRow("address 0x80") << QByteArray("\x80", 1) << 0x49;
        QTest::newRow("start-up image") << QByteArray("\xE0\0\0\0\0\0", 6) << 0xFE;
        QTest::newRow("zero byte") << QByteArray("\0", 1) << 0xC0;
        QTest::newRow("six zero bytes") << QByteArray(6, '\0') << 0x5F;
        QTest::newRow("STCVAD") << QByteArray("\x10", 1) << 0xB0;
    }
    void knownPecs() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, pec);
        std::vector<uint8_t> v(bytes.begin(), bytes.end());
        QCOMPARE(int(pecOf(v)), pec);
    }

    void pecOfHexByteText() {
        QCOMPARE(PecOfHexByte("80"), std::string("49"));
        QCOMPARE(PecOfHexByte("01"), std::string("C7"));
        QCOMPARE(PecOfHexByte("40"), std::string("07"));  // leading zero kept
    }

    void byteTexts() {
        QCOMPARE(byteText(0x0A), std::string("0A"));
        QCOMPARE(byteText(0x0E), std::string("0E"));
        QCOMPARE(byteText(0xC7), std::string("C7"));
        QCOMPARE(byteText(0), std::string("00"));
    }

    void textToByte_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("upper") << "E0" << 0xE0;
        QTest::newRow("lower") << "e0" << 0xE0;
        QTest::newRow("stops at non-hex") << "4Z" << 4;
        QTest::newRow("non-hex first") << "Z4" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("one digit") << "A" << 10;
        QTest::newRow("blank") << " 1" << 0;
        QTest::newRow("only two read") << "123" << 0x12;
    }
    void textToByte() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(int(zmx::textToByte(text.toStdString())), value);
    }

    // Replies of any length: missing characters read as 0, nothing outside the text is read.
    void replyParsing() {
        struct Case {
            const char* reply;
            std::vector<int> bytes;
            int pec;
        };
        const Case cases[] = {
            {"804902CE"
             "E0000000000A"
             "FE",
             {0xE0, 0, 0, 0, 0, 0x0A},
             0xFE},
            {"804902CE"
             "E0000000000A"
             "FEFFFF",
             {0xE0, 0, 0, 0, 0, 0x0A},
             0xFE},  // long
            {"804902CE"
             "E000",
             {0xE0, 0, 0, 0, 0, 0},
             0},  // short
            {"804902CE"
             "E",
             {0x0E, 0, 0, 0, 0, 0},
             0},                                  // odd length
            {"804902CE", {0, 0, 0, 0, 0, 0}, 0},  // echo only
            {"", {0, 0, 0, 0, 0, 0}, 0},          // empty
            {"804902CE"
             "EZZ4Z00\x01\xff"
             "0000F",
             {0x0E, 0, 0, 0, 0, 0},
             0x0F},  // not hex
        };
        for (const Case& c : cases) {
            std::array<uint8_t, 6> out{};
            const uint8_t pec = parseReadReply(c.reply, out);
            for (int k = 0; k < 6; ++k) QCOMPARE(int(out[k]), c.bytes[k]);
            QCOMPARE(int(pec), c.pec);
        }
    }

    void rdcfgParseAndPec() {
        StackState st;
        st.selectedBoard = 2;
        // the echo characters are not used; data from position 9
        st.rxConfig = std::string("82D102CE") + "E00000000000" + "FE";
        storeConfigRead(st, st.selectedBoard, parseConfigReply(st.rxConfig));
        QCOMPARE(int(st.rdcfgRxByte[2][0]), 0xE0);
        QCOMPARE(int(st.rdcfgRxPec[2]), 0xFE);
        QCOMPARE(int(st.rdcfgCalcPec[2]), 0xFE);
        QCOMPARE(int(st.rdcfgRxPec[0]), 0);  // other slots untouched
    }

    void missingReplyNeverPasses() {
        StackState st;
        st.rxConfig.clear();
        storeConfigRead(st, st.selectedBoard, parseConfigReply(st.rxConfig));
        QVERIFY(st.rdcfgRxPec[0] != st.rdcfgCalcPec[0]);
        QCOMPARE(int(st.rdcfgCalcPec[0]), 0x5F);
    }

    // In continuous mode cell, flag and temperature reads parse into the scanned slot.
    void continuousModeParsesIntoScannedSlot() {
        StackState st;
        st.selectedBoard = 0;
        st.continuousRunning = 1;
        st.scanBoard = 3;
        st.rxFlags =
            "83F80CE4"
            "0100808F";
        storeFlagRead(st, servedBoard(st), parseFlagReply(st.rxFlags));
        QCOMPARE(int(st.rdflgRxByte[3][0]), 0x01);
        QCOMPARE(int(st.rdflgRxByte[3][2]), 0x80);
        QCOMPARE(int(st.rdflgRxByte[0][0]), 0);
        st.rxCells = std::string(8, '0') + std::string(36, 'F') + "AB";
        storeCellRead(st, servedBoard(st), 0, parseCellReply(st.rxCells, 0));
        QCOMPARE(int(st.rdcvRxByte[3][17]), 0xFF);
        QCOMPARE(int(st.rdcvRxPec[3]), 0xAB);
        QCOMPARE(int(rdcvRxPecOf(st, 0, 3)), 0xAB);
    }

    void cellVariantsTable() {
        QCOMPARE(cellReadVariant(0).cmd().dataBytes, 18);
        QCOMPARE(cellReadVariant(1).cmd().dataBytes, 15);
        QCOMPARE(cellReadVariant(5).cmd().dataBytes, 3);
        QCOMPARE(commandCodeText(cellReadVariant(4).cmd()), std::string("0A"));
        QCOMPARE(cellReadVariant(3).firstCell, 5);
        // Out of range reads as RDCV, the same for the table and the stored PEC rows.
        QCOMPARE(cellReadVariant(6).cmd().dataBytes, 18);
        QCOMPARE(cellSelectorInRange(-1), 0);
    }

    // A missing or non-hex character reads as zero in both the lenient and the whole reading.
    void hexReadings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lenient");
        QTest::addColumn<int>("whole");
        QTest::newRow("code") << "5A3" << 0x5A3 << 0x5A3;
        QTest::newRow("lower case") << "5a3" << 0x5A3 << 0x5A3;
        QTest::newRow("stops at junk") << "4Z" << 4 << 0;
        QTest::newRow("junk first") << "Z4" << 0 << 0;
        QTest::newRow("empty") << "" << 0 << 0;
    }
    void hexReadings() {
        QFETCH(QString, text);
        QFETCH(int, lenient);
        QFETCH(int, whole);
        QCOMPARE(int(hexTextValue(text.toStdString())), lenient);
        QCOMPARE(int(wholeHexValue(text.toStdString())), whole);
    }
};

ZMX_TEST_MAIN(tst_pec, TestPec, None)
#include "tst_pec.moc"
