// Decoding of the cell, temperature and flag replies and the PEC verdicts of the reads.

#include <QtTest>

#include <bit>
#include <vector>

#include "link/ControllerLink.h"
#include "link/LinkBackend.h"
#include "protocol/Hex.h"
#include "protocol/Pec.h"
#include "protocol/ReadDecode.h"
#include "rules/ReadVerdicts.h"
#include "session/StackSession.h"
#include "support/TestMain.h"

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

// Answers every read with one fixed text (cut to what the read asks for).
class FixedReplyBackend : public LinkBackend {
public:
    std::string reply;
    std::string name() const override { return "fixed"; }
    bool open() override { return open_ = true; }
    bool isOpen() const override { return open_; }
    void setTimeouts(int, int) override {}
    std::size_t write(std::string_view bytes) override { return bytes.size(); }
    std::string read(std::size_t maxBytes) override { return reply.substr(0, maxBytes); }
    void purgeInput() override {}
    void close() override { open_ = false; }
    WireTiming wireTiming() const override { return {}; }
    bool drainOutput(int) override { return true; }

private:
    bool open_ = false;
};

QString bitsOf(float v) { return QString::number(std::bit_cast<uint32_t>(v), 16); }

template <typename Row>
QString joined(const Row& row) {
    QStringList out;
    for (const auto& v : row) {
        if constexpr (std::is_same_v<std::decay_t<decltype(v)>, std::string>) out << QString::fromStdString(v);
        else if constexpr (std::is_same_v<std::decay_t<decltype(v)>, float>) out << bitsOf(v);
        else out << QString::number(v);
    }
    return out.join(',');
}

// Everything one read leaves behind: the BoardRead handed out and the served slot's stored
// bytes, PECs, texts, values and verdicts (the window paints from these).
QString readDigest(const StackState& st, int s, const BoardRead& r) {
    QStringList d;
    d << QString::fromStdString(r.command) << QString::fromStdString(r.request) << QString::fromStdString(r.reply)
      << joined(r.data) << QString::number(r.rxPec) << QString::number(r.calcPec) << QString::number(r.pecMatch)
      << QString::number(r.firstCell) << QString::number(r.cellCount) << joined(r.cellCodes) << joined(r.cellVolts)
      << joined(r.flags) << joined(r.tempCodes) << joined(r.tempVolts) << QString::number(r.thermalBit)
      << joined(r.config) << joined(r.cellStatus) << QString::number(r.lampState);
    d << joined(st.rdcfgRxByte[s]) << joined(st.rdcvRxByte[s]) << joined(st.rdcvaRxByte[s]) << joined(st.rdcvbRxByte[s])
      << joined(st.rdcvcRxByte[s]) << joined(st.rdflgRxByte[s]) << joined(st.rdtmpRxByte[s]);
    d << joined(std::array<int, 14>{st.rdcfgRxPec[s], st.rdcfgCalcPec[s], st.rdcvRxPec[s], st.rdcvCalcPec[s],
                                    st.rdcvaRxPec[s], st.rdcvaCalcPec[s], st.rdcvbRxPec[s], st.rdcvbCalcPec[s],
                                    st.rdcvcRxPec[s], st.rdcvcCalcPec[s], st.rdflgRxPec[s], st.rdflgCalcPec[s],
                                    st.rdtmpRxPec[s], st.rdtmpCalcPec[s]});
    for (int n = 1; n <= 12; ++n)
        d << QString::fromStdString(st.cellCodeHex[cellValueIndex(s, n)]) << bitsOf(st.cellVolts[cellValueIndex(s, n)]);
    for (int k = 0; k < 3; ++k)
        d << QString::fromStdString(st.cellCodeHex[tempValueIndex(s, k)]) << bitsOf(st.cellVolts[tempValueIndex(s, k)]);
    d << joined(st.flgrText[s]) << joined(st.cfgReadback[s]);
    d << joined(std::array<int, 8>{int(st.readStatus[s]), st.rdcvGood[s], st.rdflgGood[s], st.rdtmpGood[s],
                                   st.thsdFlag[s], st.measureMode[s], st.flagStatusHeld[s], st.cfgViewIsReadback});
    return d.join('|');
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
        storeCellRead(st, 0, 0, parseCellReply(st.rxCells, 0));
        QCOMPARE(QString::fromStdString(st.cellCodeHex[cellValueIndex(0, cell)]), code);
        // Single precision, exactly as (code - 512) * 0.0015f gives it.
        QCOMPARE(st.cellVolts[cellValueIndex(0, cell)], volts);
    }

    void caseOfReplyIsKept() {
        StackState st;
        st.rxCells = "80491adc" + std::string("e8a38e") + std::string(30, '0') + "00";
        storeCellRead(st, 3, 0, parseCellReply(st.rxCells, 0));
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
        storeCellRead(st, 2, selector, parseCellReply(st.rxCells, selector));
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
        storeCellRead(st, 0, 0, parseCellReply(st.rxCells, 0));
        QCOMPARE(QString::fromStdString(st.cellCodeHex[cellValueIndex(0, 1)]), QString("AE8"));
        QCOMPARE(QString::fromStdString(st.cellCodeHex[cellValueIndex(0, 2)]), QString("000"));
        QCOMPARE(st.cellVolts[cellValueIndex(0, 3)], -0.768f);
        st.rxCells.clear();
        storeCellRead(st, 0, 0, parseCellReply(st.rxCells, 0));
        QCOMPARE(QString::fromStdString(st.cellCodeHex[cellValueIndex(0, 12)]), QString("000"));
    }

    void temperatures() {
        StackState st;
        st.rxTemps = replyOf({0x00, 0x52, 0x14, 0xE8, 0x13});
        storeTempRead(st, 1, parseTempReply(st.rxTemps));
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
        storeFlagRead(st, 4, parseFlagReply(st.rxFlags));
        QCOMPARE(QString::fromStdString(st.flgrText[4][0]), QString("01"));
        QCOMPARE(QString::fromStdString(st.flgrText[4][1]), QString("0A"));  // always upper case
        QCOMPARE(QString::fromStdString(st.flgrText[4][2]), QString("80"));
        st.rxFlags = "80491ADC05";
        storeFlagRead(st, 4, parseFlagReply(st.rxFlags));
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

    // Every read of the session on good, short, empty, junk, non-hex and corrupted replies:
    // what it hands out and stores is pinned by a digest (the row prints the whole of it
    // when it differs). The slot first takes a good twelve-cell read, so cells a read does
    // not carry show what they held.
    void readsOfReplies_data() {
        QTest::addColumn<int>("kind");      // 0 config, 1 cells, 2 flags, 3 temperatures
        QTest::addColumn<int>("selector");  // cells only
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("digest");  // first 16 hex digits of the SHA-1 of the digest
        const QString cfg = QString::fromStdString(replyOf({0xE1, 0x00, 0x00, 0x40, 0x71, 0xAB}));
        const QString cells = QString::fromStdString(replyOf(bytesOf("E8A38EE8A38E00F2FF123456789ABCDEF012")));
        const QString ten = QString::fromStdString(replyOf(bytesOf("E8A38EE8A38E00F2FF123456789ABC")));
        const QString group = QString::fromStdString(replyOf(bytesOf("E8A38E123456")));
        const QString flags = QString::fromStdString(replyOf({0x01, 0x0A, 0x80}));
        const QString temps = QString::fromStdString(replyOf({0x00, 0x52, 0x14, 0xE8, 0x13}));
        QTest::newRow("config good") << 0 << 0 << cfg << "633dc241e4551c7c";
        QTest::newRow("config wrong PEC") << 0 << 0 << cfg.left(20) + "00"
                                          << "3bcce3c4baf487f8";
        QTest::newRow("config short") << 0 << 0 << "80491ADCE100"
                                      << "d1b5a72fb5a17538";
        QTest::newRow("config empty") << 0 << 0 << ""
                                      << "02f98056aac16b3d";
        QTest::newRow("config junk") << 0 << 0 << "hello, this is not a reply"
                                     << "15b002175b9cd36a";
        QTest::newRow("config non-hex") << 0 << 0 << "80491ADCE1Z04Z0071ABFF"
                                        << "b9e388c795497eb4";
        QTest::newRow("config lower case") << 0 << 0 << cfg.toLower() << "f108c89a9fd022e8";
        QTest::newRow("RDCV good") << 1 << 0 << cells << "ad18f8fbc489052b";
        QTest::newRow("RDCV lower case") << 1 << 0 << cells.toLower() << "09bfe9c10c5231de";
        QTest::newRow("RDCV wrong PEC") << 1 << 0 << cells.left(44) + "00"
                                        << "ae753c50eac09d5f";
        QTest::newRow("RDCV cut in a pair") << 1 << 0 << cells.left(21) << "8504a464934eab17";
        QTest::newRow("RDCV cut in a byte") << 1 << 0 << cells.left(10) << "aa15c851c8339cf9";
        QTest::newRow("RDCV empty") << 1 << 0 << ""
                                    << "7c29d3e4bd4e84d9";
        QTest::newRow("RDCV junk") << 1 << 0 << "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~"
                                   << "310d5fba769441ba";
        QTest::newRow("RDCV non-hex high digit")
            << 1 << 0 << "80491ADC" + QString("4ZA38E") + cells.mid(14) << "1bb97599cfa36f1b";
        QTest::newRow("RDCV non-hex low digit")
            << 1 << 0 << "80491ADC" + QString("E8Z28E") + cells.mid(14) << "fddf522148e26c27";
        QTest::newRow("RDCV too long") << 1 << 0 << cells + "0123456789"
                                       << "ad18f8fbc489052b";
        QTest::newRow("RDCV ten cells") << 1 << 1 << ten << "7f95933e695027df";
        QTest::newRow("RDCV ten cells, twelve sent") << 1 << 1 << cells << "d9fe8d50e47c86b5";
        QTest::newRow("RDCVA") << 1 << 2 << group << "51892a5fd5c70873";
        QTest::newRow("RDCVB") << 1 << 3 << group << "1267c639a686a0b8";
        QTest::newRow("RDCVC") << 1 << 4 << group << "6ebcff7f8fdbe6f6";
        QTest::newRow("RDCVC ten cells") << 1 << 5 << QString::fromStdString(replyOf(bytesOf("E8A38E")))
                                         << "fc9989403d27c988";
        QTest::newRow("RDCVB short") << 1 << 3 << group.left(13) << "e6f032819a19dc50";
        QTest::newRow("selector above range") << 1 << 7 << cells << "ad18f8fbc489052b";
        QTest::newRow("selector below range") << 1 << -1 << cells << "ad18f8fbc489052b";
        QTest::newRow("flags good") << 2 << 0 << flags << "6003af2a07da835a";
        QTest::newRow("flags wrong PEC") << 2 << 0 << flags.left(14) + "00"
                                         << "09070e96b9f360f6";
        QTest::newRow("flags short") << 2 << 0 << "80491ADC010"
                                     << "fa6fee38f3758a4d";
        QTest::newRow("flags empty") << 2 << 0 << ""
                                     << "836d890f0ad185f7";
        QTest::newRow("flags non-hex") << 2 << 0 << "80491ADC0G1Z8000"
                                       << "24d863d817a7fd39";
        QTest::newRow("flags lower case")
            << 2 << 0
            << "80491ADC010a80" + QString::fromStdString(byteText(pecOf(std::vector<uint8_t>{1, 10, 0x80}))).toLower()
            << "2c3376ad7a00fcde";
        QTest::newRow("temps good, thermal bit") << 3 << 0 << temps << "80c8e2257594b4d4";
        QTest::newRow("temps wrong PEC, thermal bit") << 3 << 0 << temps.left(18) + "00"
                                                      << "b7f4cc72e7454e7d";
        QTest::newRow("temps short") << 3 << 0 << temps.left(15) << "0f9a4a30610dc2b3";
        QTest::newRow("temps empty") << 3 << 0 << ""
                                     << "ca142ab49efdc091";
        QTest::newRow("temps non-hex") << 3 << 0 << "80491ADC0X52Y4E8130F"
                                       << "2b1c7ff5547884e8";
        QTest::newRow("temps lower case") << 3 << 0 << temps.toLower() << "e5124f1defd0f9af";
    }
    void readsOfReplies() {
        QFETCH(int, kind);
        QFETCH(int, selector);
        QFETCH(QString, reply);
        QFETCH(QString, digest);
        auto backend = std::make_unique<FixedReplyBackend>();
        FixedReplyBackend* wire = backend.get();
        ControllerLink link(std::move(backend));
        StackSession session(link);
        session.resetToDefaults();
        StackState& st = session.state();
        st.lastBoardIndex = 2;
        st.measureMode[2] = 1;
        wire->reply = replyOf(bytesOf("00F2FF123456789ABCDEF012E8A38EE8A38E"));
        QVERIFY(session.readCells(2, 0).pecMatch);
        wire->reply = reply.toStdString();
        BoardRead r;
        if (kind == 0) r = session.readConfig(2);
        else if (kind == 1) r = session.readCells(2, selector);
        else if (kind == 2) r = session.readFlags(2);
        else r = session.readTemps(2);
        const QString text = readDigest(st, 2, r);
        const QString hash = QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
        QVERIFY2(hash == digest, qPrintable(hash + " " + text));
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

ZMX_TEST_MAIN(tst_readdecode, TestReadDecode, Full)
#include "tst_readdecode.moc"
