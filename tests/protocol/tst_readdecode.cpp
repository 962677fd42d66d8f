// Decoding of the cell, temperature and flag replies and the PEC verdicts of the reads.

#include <QtTest>

#include <vector>

#include "protocol/Hex.h"
#include "protocol/Pec.h"
#include "protocol/ReadDecode.h"
#include "rules/ReadVerdicts.h"

using namespace zmx;

namespace {

// A read reply as the controller returns it: the four echoed bytes, the data bytes and
// their PEC (or a given wrong one).
std::string replyOf(const std::vector<uint8_t>& data, int pecOverride = -1) {
    std::string r = "80491ADC";
    for (uint8_t b : data) r += byteText(b);
    r += byteText(pecOverride >= 0 ? uint8_t(pecOverride) : pecOf(data));
    return r;
}

std::vector<uint8_t> bytesOf(const QByteArray& hex) {
    const QByteArray raw = QByteArray::fromHex(hex);
    return std::vector<uint8_t>(raw.begin(), raw.end());
}

}  // namespace

class TestReadDecode : public QObject {
    Q_OBJECT
private slots:
    void cellPairs_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("cell");
        QTest::addColumn<QString>("code");
        QTest::addColumn<float>("volts");
        const QByteArray zeroCode = "000200" + QByteArray(30, '0');
        const QByteArray e8 = "E8A38E" + QByteArray(30, '0');
        QTest::newRow("0x200 is zero volts") << zeroCode << 1 << "200" << 0.0f;
        QTest::newRow("second cell of 00 02 00") << zeroCode << 2 << "000" << -0.768f;
        QTest::newRow("low code of E8 A3 8E") << e8 << 1 << "3E8" << 0.732f;
        QTest::newRow("high code of E8 A3 8E") << e8 << 2 << "8EA" << 2.655f;
        QTest::newRow("all zero bytes") << QByteArray(36, '0') << 12 << "000" << -0.768f;
        QTest::newRow("all FF bytes") << QByteArray(36, 'F') << 7 << "FFF" << 5.3745f;
        QTest::newRow("last pair, high cell") << QByteArray(30, '0') + "341200" << 12 << "001" << codeToVolts(0x001);
        QTest::newRow("last pair, low cell") << QByteArray(30, '0') + "341200" << 11 << "234" << codeToVolts(0x234);
    }
    void cellPairs() {
        QFETCH(QByteArray, data);
        QFETCH(int, cell);
        QFETCH(QString, code);
        QFETCH(float, volts);
        StackState st;
        st.rxCells = replyOf(bytesOf(data));
        decodeCellReply(st, 0, 0);
        QCOMPARE(QString::fromStdString(st.cellCodeHex[cellValueIndex(0, cell)]), code);
        // Single precision, exactly as (code - 512) * 0.0015f gives it.
        QCOMPARE(st.cellVolts[cellValueIndex(0, cell)], volts);
    }

    void caseOfReplyIsKept() {
        StackState st;
        st.rxCells = "80491adc" + std::string("e8a38e") + std::string(30, '0') + "00";
        decodeCellReply(st, 3, 0);
        QCOMPARE(QString::fromStdString(st.cellCodeHex[cellValueIndex(3, 1)]), QString("3e8"));
        QCOMPARE(QString::fromStdString(st.cellCodeHex[cellValueIndex(3, 2)]), QString("8ea"));
        QCOMPARE(st.cellVolts[cellValueIndex(3, 1)], codeToVolts(0x3E8));
    }

    // Each selector decodes its own cell range into the slot and nothing else.
    void selectorRanges_data() {
        QTest::addColumn<int>("selector");
        QTest::addColumn<int>("firstCell");
        QTest::addColumn<int>("lastCell");
        QTest::newRow("RDCV") << 0 << 1 << 12;
        QTest::newRow("RDCV ten cells") << 1 << 1 << 10;
        QTest::newRow("RDCVA") << 2 << 1 << 4;
        QTest::newRow("RDCVB") << 3 << 5 << 8;
        QTest::newRow("RDCVC") << 4 << 9 << 12;
        QTest::newRow("RDCVC ten cells") << 5 << 9 << 10;
    }
    void selectorRanges() {
        QFETCH(int, selector);
        QFETCH(int, firstCell);
        QFETCH(int, lastCell);
        StackState st;
        for (int n = 1; n <= 12; ++n) {
            st.cellCodeHex[cellValueIndex(2, n)] = "old";
            st.cellVolts[cellValueIndex(2, n)] = 9.0f;
        }
        st.rxCells = replyOf(std::vector<uint8_t>(18, 0xFF));
        decodeCellReply(st, 2, selector);
        for (int n = 1; n <= 12; ++n) {
            const bool inRange = n >= firstCell && n <= lastCell;
            QCOMPARE(QString::fromStdString(st.cellCodeHex[cellValueIndex(2, n)]),
                     inRange ? QString("FFF") : QString("old"));
            QCOMPARE(st.cellVolts[cellValueIndex(2, n)], inRange ? 5.3745f : 9.0f);
        }
        // Other slots are never touched.
        QVERIFY(st.cellCodeHex[cellValueIndex(1, firstCell)].empty());
    }

    void missingCharactersReadAsZero() {
        StackState st;
        st.rxCells = "80491ADCE8A";  // cut off in the middle of the first pair
        decodeCellReply(st, 0, 0);
        QCOMPARE(QString::fromStdString(st.cellCodeHex[cellValueIndex(0, 1)]), QString("AE8"));
        QCOMPARE(QString::fromStdString(st.cellCodeHex[cellValueIndex(0, 2)]), QString("000"));
        QCOMPARE(st.cellVolts[cellValueIndex(0, 3)], -0.768f);
        st.rxCells.clear();
        decodeCellReply(st, 0, 0);
        QCOMPARE(QString::fromStdString(st.cellCodeHex[cellValueIndex(0, 12)]), QString("000"));
    }

    void temperatures() {
        StackState st;
        st.rxTemps = replyOf({0x00, 0x52, 0x14, 0xE8, 0x13});
        decodeTempReply(st, 1);
        QCOMPARE(QString::fromStdString(st.cellCodeHex[tempValueIndex(1, 0)]), QString("200"));
        QCOMPARE(QString::fromStdString(st.cellCodeHex[tempValueIndex(1, 1)]), QString("145"));
        QCOMPARE(QString::fromStdString(st.cellCodeHex[tempValueIndex(1, 2)]), QString("3E8"));
        QCOMPARE(st.cellVolts[tempValueIndex(1, 0)], 0.0f);
        QCOMPARE(st.cellVolts[tempValueIndex(1, 1)], codeToVolts(0x145));
        QCOMPARE(st.cellVolts[tempValueIndex(1, 2)], 0.732f);
        QCOMPARE(thermalBitOf(st.rxTemps), 1);
        // Temperatures of slot 9 end the shared array; cells of slot 9 end just before.
        QCOMPARE(tempValueIndex(9, 2), kCellArray - 1);
        QCOMPARE(cellValueIndex(9, 12), tempValueIndex(0, 0) - 1);
    }

    void thermalBit_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("bit");
        QTest::newRow("T4 0x13") << "80491ADC005214E813XX" << 1;
        QTest::newRow("T4 0x03") << "80491ADC005214E803XX" << 0;
        QTest::newRow("T4 0xE3, bit 4 clear") << "80491ADC005214E8E3XX" << 0;
        QTest::newRow("T4 0xF0, bit 4 set") << "80491ADC005214E8F0XX" << 1;
        QTest::newRow("reply cut short") << "80491ADC005214" << 0;
    }
    void thermalBit() {
        QFETCH(QString, reply);
        QFETCH(int, bit);
        QCOMPARE(thermalBitOf(reply.toStdString()), bit);
    }

    void flagTexts() {
        StackState st;
        st.rxFlags = "80491ADC" + std::string("01") + "0a" + "80" + "00";
        storeFlagTexts(st, 4);
        QCOMPARE(QString::fromStdString(st.flgrText[4][0]), QString("01"));
        QCOMPARE(QString::fromStdString(st.flgrText[4][1]), QString("0A"));  // always upper case
        QCOMPARE(QString::fromStdString(st.flgrText[4][2]), QString("80"));
        st.rxFlags = "80491ADC05";
        storeFlagTexts(st, 4);
        QCOMPARE(QString::fromStdString(st.flgrText[4][1]), QString("00"));
    }

    // The lamp state and the freshness marks after each read's verdict.
    void verdicts_data() {
        QTest::addColumn<int>("read");  // 0 cells, 1 flags, 2 temperatures
        QTest::addColumn<bool>("match");
        QTest::addColumn<int>("showValidOnly");
        QTest::addColumn<int>("measureMode");
        QTest::addColumn<int>("latched");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("cvGood");
        QTest::addColumn<int>("flgGood");
        QTest::addColumn<int>("tmpGood");
        // Before each row: readStatus 1, all three marks 1 (the "previous read" state).
        QTest::newRow("cells match") << 0 << true << 0 << 1 << 0 << 1 << 1 << 0 << 1;
        QTest::newRow("cells mismatch") << 0 << false << 0 << 1 << 0 << 2 << 0 << 0 << 1;
        QTest::newRow("cells mismatch hidden") << 0 << false << 1 << 1 << 0 << 1 << 1 << 1 << 1;
        QTest::newRow("cells standby match") << 0 << true << 0 << 0 << 0 << 0 << 1 << 0 << 1;
        QTest::newRow("cells standby mismatch") << 0 << false << 0 << 0 << 0 << 2 << 0 << 0 << 1;
        QTest::newRow("cells latched") << 0 << true << 0 << 0 << 1 << 3 << 1 << 0 << 1;
        QTest::newRow("flags match") << 1 << true << 0 << 1 << 0 << 1 << 0 << 1 << 1;
        QTest::newRow("flags mismatch") << 1 << false << 0 << 1 << 0 << 2 << 0 << 0 << 1;
        QTest::newRow("flags mismatch hidden") << 1 << false << 1 << 1 << 0 << 1 << 1 << 1 << 1;
        QTest::newRow("flags latched mismatch") << 1 << false << 0 << 1 << 1 << 3 << 0 << 0 << 1;
        QTest::newRow("temps match") << 2 << true << 0 << 1 << 0 << 1 << 1 << 1 << 1;
        QTest::newRow("temps mismatch") << 2 << false << 0 << 1 << 0 << 2 << 1 << 1 << 0;
        QTest::newRow("temps mismatch hidden") << 2 << false << 1 << 1 << 0 << 1 << 1 << 1 << 1;
        QTest::newRow("temps standby match") << 2 << true << 0 << 0 << 0 << 0 << 1 << 1 << 0;
        QTest::newRow("temps standby hidden") << 2 << false << 1 << 0 << 0 << 1 << 1 << 1 << 0;
        QTest::newRow("temps latched") << 2 << true << 0 << 1 << 1 << 3 << 1 << 1 << 1;
    }
    void verdicts() {
        QFETCH(int, read);
        QFETCH(bool, match);
        QFETCH(int, showValidOnly);
        QFETCH(int, measureMode);
        QFETCH(int, latched);
        QFETCH(int, status);
        QFETCH(int, cvGood);
        QFETCH(int, flgGood);
        QFETCH(int, tmpGood);
        StackState st;
        const int s = 5;
        st.readStatus[s] = LampState::PecMatch;
        st.rdcvGood[s] = st.rdflgGood[s] = st.rdtmpGood[s] = 1;
        st.showValidOnly = int16_t(showValidOnly);
        st.measureMode[s] = int16_t(measureMode);
        st.thsdLatched[s] = int16_t(latched);
        if (read == 0) applyCellReadVerdict(st, s, match);
        else if (read == 1) applyFlagReadVerdict(st, s, match);
        else applyTempReadVerdict(st, s, match);
        QCOMPARE(int(st.readStatus[s]), status);
        QCOMPARE(int(st.rdcvGood[s]), cvGood);
        QCOMPARE(int(st.rdflgGood[s]), flgGood);
        QCOMPARE(int(st.rdtmpGood[s]), tmpGood);
        QCOMPARE(int(st.readStatus[s - 1]), 0);  // only the served slot changes
    }

    void thermalFlagOnlyOnMatch() {
        StackState st;
        updateThermalFlag(st, 2, 1, false);
        QCOMPARE(int(st.thsdFlag[2]), 0);
        updateThermalFlag(st, 2, 1, true);
        QCOMPARE(int(st.thsdFlag[2]), 1);
        updateThermalFlag(st, 2, 0, false);
        QCOMPARE(int(st.thsdFlag[2]), 1);
        updateThermalFlag(st, 2, 0, true);
        QCOMPARE(int(st.thsdFlag[2]), 0);
    }
};

QTEST_MAIN(TestReadDecode)
#include "tst_readdecode.moc"
