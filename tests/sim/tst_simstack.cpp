// The simulated controller and chip stack: grammar, PEC checking, registers, conversions,
// flags, watchdog, timing and injected faults, driven through the controller texts.

#include <QtTest>

#include <bit>
#include <random>

#include "protocol/Frames.h"
#include "protocol/Hex.h"
#include "protocol/Pec.h"
#include "sim/SimStack.h"
#include "support/TestMain.h"

using zmx::sim::SimStack;
using Config = std::array<uint8_t, 6>;

namespace {

constexpr int kBroadcast = -1;
constexpr Config kMeasuring{0xE1, 0, 0, 0, 0, 0};  // CDC 1: converting, comparator off

QByteArray q(const std::string& s) { return QByteArray::fromStdString(s); }
std::string addrHex(int slot) { return zmx::byteText(static_cast<uint8_t>(0x80 + slot)); }

std::string transfer(SimStack& sim, std::string_view text, std::size_t want = 512) {
    sim.receive(text);
    return sim.takeReply(want, 1000);
}

void writeConfig(SimStack& sim, int slot, const Config& cfg) {
    std::array<std::string, 6> text;
    for (std::size_t k = 0; k < 6; ++k) text[k] = zmx::byteText(cfg[k]);
    transfer(sim, zmx::buildWrcfgFrame(addrHex(std::max(slot, 0)), text, slot == kBroadcast));
}

void start(SimStack& sim, int slot, int command) {
    sim.receive(zmx::buildStartFrame(addrHex(std::max(slot, 0)), zmx::byteText(static_cast<uint8_t>(command)),
                                     slot == kBroadcast));
}

struct Read {
    std::string reply;
    std::vector<uint8_t> data;
    uint8_t pec = 0;
    bool pecOk() const { return pec == zmx::pecOf(data); }
};

Read readRegister(SimStack& sim, int slot, int command, int dataBytes) {
    const std::string text =
        zmx::buildReadFrame(addrHex(slot), zmx::byteText(static_cast<uint8_t>(command)), dataBytes);
    Read r;
    r.reply = transfer(sim, text, zmx::replyLength(text));
    for (int k = 0; k < dataBytes; ++k)
        r.data.push_back(zmx::replyByteAt(r.reply, 9 + 2 * static_cast<std::size_t>(k)));
    r.pec = zmx::replyByteAt(r.reply, 9 + 2 * static_cast<std::size_t>(dataBytes));
    return r;
}

// Twelve-bit codes packed two per three bytes, as the cell and temperature registers hold them.
std::vector<int> unpack(const std::vector<uint8_t>& b) {
    std::vector<int> codes;
    for (std::size_t j = 0; j + 2 < b.size(); j += 3) {
        codes.push_back((b[j + 1] & 0x0F) * 256 + b[j]);
        codes.push_back(b[j + 2] * 16 + (b[j + 1] >> 4));
    }
    return codes;
}

std::vector<int> readCells(SimStack& sim, int slot) { return unpack(readRegister(sim, slot, 0x04, 18).data); }

double volts(int code) { return (code - 512) * 0.0015; }

std::unique_ptr<SimStack> manualStack(zmx::sim::SimOptions options = {}) {
    auto sim = std::make_unique<SimStack>(options);
    sim->useManualClock(true);
    return sim;
}

}  // namespace

class TestSimStack : public QObject {
    Q_OBJECT

private slots:
    void grammar_data();
    void grammar();
    void identificationIsFiftyCharacters_data();
    void identificationIsFiftyCharacters();
    void controllerCommandsWhilePollFrameOpen();
    void readLayout_data();
    void readLayout();
    void ignoredRequestsReadHigh_data();
    void ignoredRequestsReadHigh();
    void configRoundTrip();
    void configWriteTargets_data();
    void configWriteTargets();
    void conversionsReachTheirTargets_data();
    void conversionsReachTheirTargets();
    void selfTestFault_data();
    void selfTestFault();
    void singleChannelConversion_data();
    void singleChannelConversion();
    void standbyIgnoresConversions_data();
    void standbyIgnoresConversions();
    void readingsArePlausibleAndSeeded();
    void openWire_data();
    void openWire();
    void dischargeHeldReadsLower_data();
    void dischargeHeldReadsLower();
    void flags_data();
    void flags();
    void thermalShutdownBit_data();
    void thermalShutdownBit();
    void watchdog_data();
    void watchdog();
    void replyTiming_data();
    void replyTiming();
    void busDelaySlowsFramesOnly_data();
    void busDelaySlowsFramesOnly();
    void corruptNextReplies();
    void corruptionRateIsSeeded();
    void unplugged();
    void clearReceivedKeepsChips();
    void garbageNeverCrashes();
};

// Reply characters for small texts: echoes, reads of an idle bus, skipped characters.
void TestSimStack::grammar_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("openAfter");
    QTest::newRow("T echoes the byte sent") << QByteArray("MSxT5AT00X") << QByteArray("5A00") << false;
    QTest::newRow("lower-case hex echoes upper case") << QByteArray("MSxTa5X") << QByteArray("A5") << false;
    QTest::newRow("S adds nothing") << QByteArray("MSxS10SB0X") << QByteArray("") << false;
    QTest::newRow("R of an idle bus reads FF") << QByteArray("MSxRRX") << QByteArray("FFFF") << false;
    QTest::newRow("items outside a frame are skipped") << QByteArray("T12RS34X") << QByteArray("") << false;
    QTest::newRow("unknown characters skipped") << QByteArray("MSx?T1!2T34zX") << QByteArray("34") << false;
    QTest::newRow("poll leaves frame open") << QByteArray("MSxS40S07") << QByteArray("") << true;
    QTest::newRow("MSX closes") << QByteArray("MSxS40S07MSX") << QByteArray("") << false;
    QTest::newRow("MSx reopens") << QByteArray("MSxT01MSxT02") << QByteArray("0102") << true;
    QTest::newRow("half a byte at the end") << QByteArray("MSxT8") << QByteArray("") << true;
}

void TestSimStack::grammar() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, reply);
    QFETCH(bool, openAfter);
    auto sim = manualStack();
    QCOMPARE(q(transfer(*sim, text.toStdString())), reply);
    QCOMPARE(sim->frameOpen(), openAfter);
}

void TestSimStack::identificationIsFiftyCharacters_data() {
    QTest::addColumn<QString>("id");
    QTest::newRow("short text padded") << QString("ZMX7730-2 TEST");
    QTest::newRow("exactly fifty") << QString(50, QChar('A'));
    QTest::newRow("long text cut") << QString("ZMX7730-4 ") + QString(60, QChar('L'));
    QTest::newRow("empty") << QString();
}

void TestSimStack::identificationIsFiftyCharacters() {
    QFETCH(QString, id);
    auto sim = manualStack();
    sim->setIdText(id.toStdString());
    const std::string reply = transfer(*sim, "IZ", 100);
    QCOMPARE(reply.size(), std::size_t{50});
    std::string expected = id.toStdString().substr(0, 50);
    expected.resize(50, ' ');
    QCOMPARE(q(reply), q(expected));
}

// "IZ" and "MI" act at once and leave a poll's frame open; MI ends with the next frame.
void TestSimStack::controllerCommandsWhilePollFrameOpen() {
    auto sim = manualStack();
    sim->receive(zmx::buildPollFrame("80", "40", false));
    QVERIFY(sim->frameOpen());
    QCOMPARE(sim->frameCount(), std::size_t{1});
    QVERIFY(transfer(*sim, "IZ").rfind("ZMX7730-4", 0) == 0);
    QVERIFY(sim->frameOpen());
    sim->receive("MI");
    QVERIFY(sim->spiForcedHigh());
    QVERIFY(sim->frameOpen());
    sim->receive("MSX");
    QVERIFY(!sim->frameOpen());
    QVERIFY(sim->spiForcedHigh());
    QVERIFY(readRegister(*sim, 0, 0x02, 6).pecOk());
    QVERIFY(!sim->spiForcedHigh());
    QCOMPARE(sim->frameCount(), std::size_t{2});
}

// Every read shifts out its data bytes, their PEC, then FF; ten-cell mode shortens RDCV/RDCVC.
void TestSimStack::readLayout_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("tenCells");
    QTest::addColumn<int>("dataBytes");
    QTest::newRow("RDCFG") << 0x02 << false << 6;
    QTest::newRow("RDCV") << 0x04 << false << 18;
    QTest::newRow("RDCV ten cells") << 0x04 << true << 15;
    QTest::newRow("RDCVA") << 0x06 << false << 6;
    QTest::newRow("RDCVB ten cells") << 0x08 << true << 6;
    QTest::newRow("RDCVC") << 0x0A << false << 6;
    QTest::newRow("RDCVC ten cells") << 0x0A << true << 3;
    QTest::newRow("RDFLG") << 0x0C << false << 3;
    QTest::newRow("RDTMP") << 0x0E << false << 5;
}

void TestSimStack::readLayout() {
    QFETCH(int, command);
    QFETCH(bool, tenCells);
    QFETCH(int, dataBytes);
    auto sim = manualStack();
    writeConfig(*sim, kBroadcast, {static_cast<uint8_t>(tenCells ? 0xE9 : 0xE1), 0, 0, 0, 0, 0});
    start(*sim, kBroadcast, 0x10);
    start(*sim, kBroadcast, 0x30);
    const Read r = readRegister(*sim, 0, command, 20);  // more reads than the register holds
    QCOMPARE(q(r.reply.substr(0, 8)), q("8049" + zmx::byteText(static_cast<uint8_t>(command)) +
                                        zmx::PecOfHexByte(zmx::byteText(static_cast<uint8_t>(command)))));
    const std::vector<uint8_t> data(r.data.begin(), r.data.begin() + dataBytes);
    QCOMPARE(r.data[static_cast<std::size_t>(dataBytes)], zmx::pecOf(data));
    for (std::size_t k = static_cast<std::size_t>(dataBytes) + 1; k < r.data.size(); ++k)
        QCOMPARE(r.data[k], uint8_t{0xFF});
}

// Requests no chip acts on: the data line stays high.
void TestSimStack::ignoredRequestsReadHigh_data() {
    QTest::addColumn<QByteArray>("text");
    const auto row = [](const char* name, const std::string& text) { QTest::newRow(name) << q(text); };
    row("wrong address PEC", "MSxT80T48T02TCERRRRRRRX");
    row("wrong command PEC", "MSxT80T49T02TCFRRRRRRRX");
    row("broadcast read", "MSxT02TCERRRRRRRX");
    row("absent board 0x8A", zmx::buildReadFrame("8A", "02", 6));
    row("removed board 0x83", zmx::buildReadFrame("83", "02", 6));
    row("diagnostic register", zmx::buildReadFrame("80", "54", 2));
    row("poll then read", "MSxT80T49T40T07RRX");
}

void TestSimStack::ignoredRequestsReadHigh() {
    QFETCH(QByteArray, text);
    auto sim = manualStack();
    sim->setBoardPresent(3, false);
    const std::string reply = transfer(*sim, text.toStdString());
    const std::size_t echo = zmx::echoLength(text.toStdString());
    QCOMPARE(reply.size(), zmx::replyLength(text.toStdString()));
    QCOMPARE(q(reply.substr(echo)), q(std::string(reply.size() - echo, 'F')));
}

// The worked example: broadcast WRCFG of the power-on image, then RDCFG of board 1.
void TestSimStack::configRoundTrip() {
    auto sim = manualStack();
    writeConfig(*sim, kBroadcast, {0xE3, 0x05, 0x40, 0x81, 0x9C, 0xCF});
    QCOMPARE(sim->config(9), (Config{0xE3, 0x05, 0x40, 0x81, 0x9C, 0xCF}));
    QCOMPARE(q(transfer(*sim, "MSxT01SC7SE0S00S00S00S00S00SFEX")), QByteArray("01"));
    QCOMPARE(q(transfer(*sim, "MSxT80T49T02TCERRRRRRRX", 22)), QByteArray("804902CEE00000000000FE"));
    QCOMPARE(sim->config(0), zmx::sim::kPowerOnConfig);
}

void TestSimStack::configWriteTargets_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("board0");
    QTest::addColumn<bool>("board1");
    const Config cfg{0xE2, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::array<std::string, 6> t;
    for (std::size_t k = 0; k < 6; ++k) t[k] = zmx::byteText(cfg[k]);
    const std::string addressed1 = zmx::buildWrcfgFrame("81", t, false);
    std::string badPec = addressed1;
    badPec[badPec.size() - 2] = badPec[badPec.size() - 2] == '0' ? '1' : '0';
    QTest::newRow("broadcast") << q(zmx::buildWrcfgFrame("80", t, true)) << true << true;
    QTest::newRow("addressed to 0x81") << q(addressed1) << false << true;
    QTest::newRow("wrong data PEC") << q(badPec) << false << false;
    const std::string badAddressPec = zmx::byteText(static_cast<uint8_t>(zmx::pecOfByte(0x81) ^ 1));
    QTest::newRow("wrong address PEC") << q("MSxT81S" + badAddressPec + addressed1.substr(addressed1.find("S01")))
                                       << false << false;
    QTest::newRow("frame closed early") << q(addressed1.substr(0, addressed1.size() - 4) + "X") << false << false;
}

void TestSimStack::configWriteTargets() {
    QFETCH(QByteArray, text);
    QFETCH(bool, board0);
    QFETCH(bool, board1);
    auto sim = manualStack();
    transfer(*sim, text.toStdString());
    const Config written{0xE2, 0x11, 0x22, 0x33, 0x44, 0x55};
    QCOMPARE(sim->config(0), board0 ? written : zmx::sim::kPowerOnConfig);
    QCOMPARE(sim->config(1), board1 ? written : zmx::sim::kPowerOnConfig);
    const Read r = readRegister(*sim, 1, 0x02, 6);
    QVERIFY(r.pecOk());
    const Config now = sim->config(1);
    QCOMPARE(r.data, std::vector<uint8_t>(now.begin(), now.end()));
}

// Self-test patterns, broadcast or addressed, reach exactly the boards they are meant for.
void TestSimStack::conversionsReachTheirTargets_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("pattern");
    QTest::addColumn<bool>("temperature");
    QTest::newRow("STCVAD E broadcast") << 0x1E << kBroadcast << 0x555 << false;
    QTest::newRow("STCVAD F to board 4") << 0x1F << 4 << 0xAAA << false;
    QTest::newRow("STOWAD E to board 0") << 0x2E << 0 << 0x555 << false;
    QTest::newRow("STCVDC F broadcast") << 0x6F << kBroadcast << 0xAAA << false;
    QTest::newRow("STOWDC E to board 9") << 0x7E << 9 << 0x555 << false;
    QTest::newRow("STTMPAD E broadcast") << 0x3E << kBroadcast << 0x555 << true;
    QTest::newRow("STTMPAD F to board 2") << 0x3F << 2 << 0xAAA << true;
}

void TestSimStack::conversionsReachTheirTargets() {
    QFETCH(int, command);
    QFETCH(int, target);
    QFETCH(int, pattern);
    QFETCH(bool, temperature);
    auto sim = manualStack();
    writeConfig(*sim, kBroadcast, kMeasuring);
    start(*sim, kBroadcast, 0x10);
    start(*sim, kBroadcast, 0x30);
    start(*sim, target, command);
    for (int slot = 0; slot < 10; ++slot) {
        const bool hit = target == kBroadcast || target == slot;
        const Read r = readRegister(*sim, slot, temperature ? 0x0E : 0x04, temperature ? 5 : 18);
        QVERIFY(r.pecOk());
        std::vector<int> codes = unpack(r.data);
        if (temperature) codes = {codes[0], codes[1], (r.data[4] & 0x0F) * 256 + r.data[3]};
        for (int code : codes) QCOMPARE(code == pattern, hit);
    }
    // The clear pattern D gives all ones on top of any earlier reading.
    start(*sim, target, (command & 0xF0) | 0x0D);
    QCOMPARE(temperature ? sim->tempCode(std::max(target, 0), 2) : sim->cellCode(std::max(target, 0), 7), 0xFFF);
}

// A self-test fault replaces the pattern in one register of one board, for every pattern,
// leaves ordinary conversions alone, and goes again when cleared.
void TestSimStack::selfTestFault_data() {
    QTest::addColumn<bool>("temperature");
    QTest::addColumn<int>("channel");  // cell 1..12, or temperature channel 0..2
    QTest::newRow("cell 5") << false << 5;
    QTest::newRow("cell 12") << false << 12;
    QTest::newRow("ITMP") << true << 2;
}

void TestSimStack::selfTestFault() {
    QFETCH(bool, temperature);
    QFETCH(int, channel);
    auto sim = manualStack();
    writeConfig(*sim, kBroadcast, kMeasuring);
    if (temperature) sim->setSelfTestTempFault(1, channel, 0x554);
    else sim->setSelfTestFault(1, channel, 0x554);
    const int first = temperature ? 0 : 1, last = temperature ? 2 : 12;
    const auto code = [&](int slot, int c) { return temperature ? sim->tempCode(slot, c) : sim->cellCode(slot, c); };
    const int high = temperature ? 0x30 : 0x10;
    for (int digit : {0xE, 0xF, 0xD}) {
        start(*sim, kBroadcast, high | digit);
        const int pattern = digit == 0xE ? 0x555 : digit == 0xF ? 0xAAA : 0xFFF;
        for (int c = first; c <= last; ++c) {
            QCOMPARE(code(1, c), c == channel ? 0x554 : pattern);
            QCOMPARE(code(0, c), pattern);
        }
    }
    start(*sim, kBroadcast, high);  // an ordinary conversion measures
    QVERIFY(code(1, channel) != 0x554);
    if (temperature) sim->setSelfTestTempFault(1, channel, -1);
    else sim->setSelfTestFault(1, channel, -1);
    start(*sim, kBroadcast, high | 0xE);
    QCOMPARE(code(1, channel), 0x555);
}

// A single-cell or single-channel conversion updates that register only.
void TestSimStack::singleChannelConversion_data() {
    QTest::addColumn<int>("command");
    for (int n = 1; n <= 12; ++n) QTest::addRow("cell %d", n) << (0x10 + n);
    QTest::newRow("open wire cell 3") << 0x23;
    QTest::newRow("ETMP1") << 0x31;
    QTest::newRow("ETMP2") << 0x32;
    QTest::newRow("ITMP") << 0x33;
}

void TestSimStack::singleChannelConversion() {
    QFETCH(int, command);
    auto sim = manualStack();
    writeConfig(*sim, 0, kMeasuring);
    const bool temperature = (command >> 4) == 3;
    start(*sim, 0, temperature ? 0x3E : 0x1E);
    start(*sim, 0, command);
    const int channel = command & 0x0F;
    for (int n = 1; n <= (temperature ? 3 : 12); ++n) {
        const int code = temperature ? sim->tempCode(0, n - 1) : sim->cellCode(0, n);
        QCOMPARE(code != 0x555, n == channel);
    }
}

void TestSimStack::standbyIgnoresConversions_data() {
    QTest::addColumn<int>("command");
    for (int c : {0x10, 0x1E, 0x20, 0x60, 0x70, 0x30, 0x3F}) QTest::addRow("0x%02X", c) << c;
}

void TestSimStack::standbyIgnoresConversions() {
    QFETCH(int, command);
    auto sim = manualStack();
    QVERIFY(sim->inStandby(0));
    start(*sim, kBroadcast, command);
    start(*sim, 0, command);
    QCOMPARE(sim->cellCode(0, 1), 0xFFF);  // registers power up cleared
    QCOMPARE(sim->tempCode(0, 0), 0xFFF);
    writeConfig(*sim, 0, kMeasuring);
    QVERIFY(!sim->inStandby(0));
    start(*sim, 0, command);
    QVERIFY(sim->cellCode(0, 1) != 0xFFF || sim->tempCode(0, 0) != 0xFFF);
}

void TestSimStack::readingsArePlausibleAndSeeded() {
    const auto snapshot = [](zmx::sim::SimOptions options) {
        auto sim = manualStack(options);
        writeConfig(*sim, kBroadcast, kMeasuring);
        start(*sim, kBroadcast, 0x10);
        start(*sim, kBroadcast, 0x30);
        std::vector<int> codes;
        for (int slot = 0; slot < 10; ++slot) {
            for (int c : readCells(*sim, slot)) codes.push_back(c);
            for (int k = 0; k < 3; ++k) codes.push_back(sim->tempCode(slot, k));
        }
        return codes;
    };
    const std::vector<int> a = snapshot({});
    for (std::size_t i = 0; i < a.size(); ++i) {
        const int k = static_cast<int>(i % 15);
        const double v = volts(a[i]);
        if (k < 12) QVERIFY2(v > 3.5 && v < 3.9, qPrintable(QString::number(v)));
        else if (k < 14) QVERIFY(v > 1.35 && v < 1.65);
        else QVERIFY(v > 1.9 && v < 2.1);
    }
    QCOMPARE(snapshot({}), a);
    QVERIFY(snapshot({10, "", 2, false}) != a);
    const std::vector<int> noisy = snapshot({10, "", 1, true});
    QVERIFY(noisy != a);
    for (std::size_t i = 0; i < a.size(); ++i) QVERIFY(std::abs(noisy[i] - a[i]) <= 3);
}

void TestSimStack::openWire_data() {
    QTest::addColumn<int>("command");
    QTest::newRow("STOWAD") << 0x20;
    QTest::newRow("STOWDC") << 0x70;
}

void TestSimStack::openWire() {
    QFETCH(int, command);
    auto sim = manualStack({10, "", 1, true});
    writeConfig(*sim, 0, kMeasuring);
    start(*sim, 0, 0x10);
    const std::vector<int> normal = readCells(*sim, 0);
    sim->setOpenWire(0, 5, true);
    start(*sim, 0, command);
    const std::vector<int> open = readCells(*sim, 0);
    for (int n = 1; n <= 12; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        if (n == 5) QVERIFY(open[i] <= 515);
        else QVERIFY(std::abs(open[i] - normal[i]) <= 6);
    }
}

// Conversions that keep the discharge switches on read a discharging cell a little lower.
void TestSimStack::dischargeHeldReadsLower_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("drop");
    QTest::newRow("STCVAD switches off") << 0x10 << 0;
    QTest::newRow("STCVDC holds discharge") << 0x60 << 13;  // 20 mV in 1.5 mV codes
    QTest::newRow("STOWDC holds discharge") << 0x70 << 13;
}

void TestSimStack::dischargeHeldReadsLower() {
    QFETCH(int, command);
    QFETCH(int, drop);
    auto sim = manualStack();
    writeConfig(*sim, 0, kMeasuring);
    start(*sim, 0, 0x10);
    const std::vector<int> before = readCells(*sim, 0);
    writeConfig(*sim, 0, {0xE1, 0x04, 0, 0, 0, 0});  // discharge cell 3
    start(*sim, 0, command);
    const std::vector<int> after = readCells(*sim, 0);
    for (std::size_t i = 0; i < 12; ++i) QVERIFY(std::abs(before[i] - after[i] - (i == 2 ? drop : 0)) <= 1);
}

// Flags follow the latched readings, the thresholds, the masks and the CDC bits.
void TestSimStack::flags_data() {
    QTest::addColumn<QList<double>>("cellVolts");  // pairs: cell, volts
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QByteArray>("expected");
    using L = QList<double>;
    const auto cfg = [](std::initializer_list<int> b) {
        QByteArray a;
        for (int v : b) a.append(static_cast<char>(v));
        return a;
    };
    // VUV 0x9C = 3.000 V, VOV 0xCF = 4.200 V
    QTest::newRow("under-voltage cell 1") << L{1, 2.0} << cfg({0xE1, 0, 0, 0, 0x9C, 0}) << cfg({0x01, 0, 0});
    QTest::newRow("over-voltage cell 12") << L{12, 4.5} << cfg({0xE1, 0, 0, 0, 0, 0xCF}) << cfg({0, 0, 0x80});
    QTest::newRow("cells 5 and 8") << L{5, 2.0, 8, 4.5} << cfg({0xE1, 0, 0, 0, 0x9C, 0xCF}) << cfg({0, 0x81, 0});
    QTest::newRow("at the threshold") << L{1, 3.0} << cfg({0xE1, 0, 0, 0, 0x9C, 0}) << cfg({0, 0, 0});
    QTest::newRow("cell 1 masked") << L{1, 2.0, 2, 2.0} << cfg({0xE1, 0, 0x10, 0, 0x9C, 0}) << cfg({0x04, 0, 0});
    QTest::newRow("cell 12 masked") << L{12, 4.5} << cfg({0xE1, 0, 0, 0x80, 0, 0xCF}) << cfg({0, 0, 0});
    QTest::newRow("thresholds off") << L{1, 0.5, 12, 5.0} << cfg({0xE1, 0, 0, 0, 0, 0}) << cfg({0, 0, 0});
    QTest::newRow("every cell under") << L{} << cfg({0xE1, 0, 0, 0, 0xFF, 0}) << cfg({0x55, 0x55, 0x55});
    QTest::newRow("ten cells: 11, 12 off")
        << L{9, 4.5, 11, 4.5, 12, 4.5} << cfg({0xE9, 0, 0, 0, 0, 0xCF}) << cfg({0, 0, 0x02});
    QTest::newRow("standby: no flags") << L{1, 2.0} << cfg({0xE0, 0, 0, 0, 0x9C, 0}) << cfg({0, 0, 0});
}

void TestSimStack::flags() {
    QFETCH(QList<double>, cellVolts);
    QFETCH(QByteArray, config);
    QFETCH(QByteArray, expected);
    auto sim = manualStack();
    for (qsizetype i = 0; i + 1 < cellVolts.size(); i += 2)
        sim->setCellVolts(0, static_cast<int>(cellVolts[i]), cellVolts[i + 1]);
    writeConfig(*sim, 0, kMeasuring);
    start(*sim, 0, 0x10);
    Config cfg;
    for (std::size_t k = 0; k < 6; ++k) cfg[k] = static_cast<uint8_t>(config[static_cast<qsizetype>(k)]);
    writeConfig(*sim, 0, cfg);
    const Read r = readRegister(*sim, 0, 0x0C, 3);
    QVERIFY(r.pecOk());
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(r.data.data()), 3), expected);
}

void TestSimStack::thermalShutdownBit_data() {
    QTest::addColumn<bool>("shutdown");
    QTest::newRow("normal") << false;
    QTest::newRow("thermal shutdown") << true;
}

void TestSimStack::thermalShutdownBit() {
    QFETCH(bool, shutdown);
    auto sim = manualStack();
    sim->setTempVolts(0, 2, 0.732);  // ITMP code 0x3E8
    sim->setThermalShutdown(0, shutdown);
    writeConfig(*sim, 0, kMeasuring);
    start(*sim, 0, 0x30);
    const Read r = readRegister(*sim, 0, 0x0E, 5);
    QVERIFY(r.pecOk());
    QCOMPARE(r.data[3], uint8_t{0xE8});
    QCOMPARE(int(r.data[4]), shutdown ? 0x13 : 0x03);
}

// The watchdog returns a measuring chip to power-on after 2000 ms without a valid command.
void TestSimStack::watchdog_data() {
    QTest::addColumn<QByteArray>("keepAlive");
    QTest::addColumn<bool>("board0Kept");
    QTest::addColumn<bool>("board1Kept");
    QTest::newRow("broadcast PLADC") << QByteArray("MSxS40S07X") << true << true;
    QTest::newRow("PLADC to board 0") << QByteArray("MSxS80S49S40S07") << true << false;
    QTest::newRow("wrong PEC") << QByteArray("MSxS40S08X") << false << false;
    QTest::newRow("wrong address PEC") << QByteArray("MSxS80S48S40S07X") << false << false;
    QTest::newRow("identification only") << QByteArray("IZ") << false << false;
}

void TestSimStack::watchdog() {
    QFETCH(QByteArray, keepAlive);
    QFETCH(bool, board0Kept);
    QFETCH(bool, board1Kept);
    auto sim = manualStack();
    writeConfig(*sim, kBroadcast, kMeasuring);
    for (int i = 0; i < 25; ++i) {
        sim->advanceMs(200);
        transfer(*sim, keepAlive.toStdString());
    }
    QCOMPARE(sim->inStandby(0), !board0Kept);
    QCOMPARE(sim->inStandby(1), !board1Kept);
    QCOMPARE(readRegister(*sim, 1, 0x02, 6).data[0], uint8_t(board1Kept ? 0xE1 : 0xE0));
    // The read above served board 1 too; now silence.
    sim->advanceMs(1990);
    QCOMPARE(sim->inStandby(1), !board1Kept);
    sim->advanceMs(20);
    QVERIFY(sim->inStandby(0));
    QVERIFY(sim->inStandby(1));
    start(*sim, 1, 0x1E);  // the reset chip is in standby and ignores conversions
    QCOMPARE(sim->cellCode(1, 1), 0xFFF);
}

// Reply characters arrive after the reply delay; reads wait on the simulator clock only.
void TestSimStack::replyTiming_data() {
    QTest::addColumn<double>("delay");
    QTest::addColumn<int>("timeout");
    QTest::addColumn<int>("extraWanted");
    QTest::addColumn<bool>("arrives");
    QTest::addColumn<double>("waited");
    QTest::newRow("no delay") << 0.0 << 1000 << 0 << true << 0.0;
    QTest::newRow("no delay, zero time-out") << 0.0 << 0 << 0 << true << 0.0;
    QTest::newRow("delay within time-out") << 300.0 << 1000 << 0 << true << 300.0;
    QTest::newRow("delay beyond time-out") << 300.0 << 200 << 0 << false << 200.0;
    QTest::newRow("short reply waits out time-out") << 0.0 << 1000 << 8 << true << 1000.0;
}

void TestSimStack::replyTiming() {
    QFETCH(double, delay);
    QFETCH(int, timeout);
    QFETCH(int, extraWanted);
    QFETCH(bool, arrives);
    QFETCH(double, waited);
    auto sim = manualStack();
    sim->setReplyDelayMs(delay);
    const double t0 = sim->nowMs();
    const std::string text = "MSxT80T49T02TCERRRRRRRX";
    sim->receive(text);
    QCOMPARE(sim->nowMs(), t0 + zmx::sim::kMsPerChar * static_cast<double>(text.size()));
    const double t1 = sim->nowMs();
    const std::string reply = sim->takeReply(22 + static_cast<std::size_t>(extraWanted), timeout);
    QCOMPARE(reply.size(), arrives ? std::size_t{22} : std::size_t{0});
    QCOMPARE(sim->nowMs() - t1, waited);
    if (!arrives) {
        // Late characters still come, unless the next transfer purges them first.
        QCOMPARE(sim->takeReply(22, 1000).size(), std::size_t{22});
        sim->receive(text);
        sim->discardPending();
        QCOMPARE(sim->takeReply(22, 1000).size(), std::size_t{0});
    }
}

// A slow bus delays what is clocked in from the chips; the controller's own answer to the
// identification request comes at once.
void TestSimStack::busDelaySlowsFramesOnly_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("replyChars");
    QTest::addColumn<double>("waited");
    QTest::newRow("read frame") << QByteArray("MSxT80T49T02TCERRRRRRRX") << 22 << 250.0;
    QTest::newRow("identification") << QByteArray("IZ") << 50 << 40.0;
}

void TestSimStack::busDelaySlowsFramesOnly() {
    QFETCH(QByteArray, text);
    QFETCH(int, replyChars);
    QFETCH(double, waited);
    auto sim = manualStack();
    sim->setReplyDelayMs(40);
    sim->setBusReplyDelayMs(210);
    sim->receive(text.toStdString());
    const double t0 = sim->nowMs();
    QCOMPARE(sim->takeReply(static_cast<std::size_t>(replyChars), 1000).size(), static_cast<std::size_t>(replyChars));
    QCOMPARE(sim->nowMs() - t0, waited);
}

void TestSimStack::corruptNextReplies() {
    auto sim = manualStack();
    const Read clean = readRegister(*sim, 0, 0x02, 6);
    QVERIFY(clean.pecOk());
    sim->corruptNextReplies(2);
    for (int i = 0; i < 2; ++i) {
        const Read bad = readRegister(*sim, 0, 0x02, 6);
        QVERIFY(!bad.pecOk());
        QCOMPARE(q(bad.reply.substr(0, 8)), q(clean.reply.substr(0, 8)));
        int flipped = 0;
        for (std::size_t k = 0; k < 6; ++k)
            flipped += std::popcount(static_cast<unsigned>(bad.data[k] ^ clean.data[k]));
        flipped += std::popcount(static_cast<unsigned>(bad.pec ^ clean.pec));
        QCOMPARE(flipped, 1);
    }
    transfer(*sim, "MSxS40S07X");  // commands without a reply do not use up the count
    QVERIFY(readRegister(*sim, 0, 0x02, 6).pecOk());
}

void TestSimStack::corruptionRateIsSeeded() {
    const auto count = [](uint32_t seed) {
        auto sim = manualStack();
        sim->setPecCorruptionRate(4, seed);
        int bad = 0;
        for (int i = 0; i < 400; ++i) bad += readRegister(*sim, i % 10, 0x02, 6).pecOk() ? 0 : 1;
        return bad;
    };
    const int bad = count(7);
    QVERIFY2(bad > 60 && bad < 140, qPrintable(QString::number(bad)));
    QCOMPARE(count(7), bad);
}

void TestSimStack::unplugged() {
    auto sim = manualStack();
    sim->receive("MSxS40S07");
    sim->receive("IZ");
    sim->setPlugged(false);
    QVERIFY(!sim->plugged());
    QVERIFY(!sim->frameOpen());
    const std::size_t logged = sim->received().size();
    QCOMPARE(q(transfer(*sim, "IZ")), QByteArray());
    writeConfig(*sim, kBroadcast, kMeasuring);
    QCOMPARE(sim->received().size(), logged);
    QVERIFY(sim->inStandby(0));
    sim->setPlugged(true);
    QCOMPARE(transfer(*sim, "IZ").size(), std::size_t{50});  // the earlier reply was lost
}

// Clearing the log of received texts forgets only the texts: the chips keep what they were
// written and the stack goes on logging.
void TestSimStack::clearReceivedKeepsChips() {
    auto sim = manualStack();
    writeConfig(*sim, kBroadcast, kMeasuring);
    QVERIFY(!sim->inStandby(0));
    QVERIFY(!sim->received().empty());
    sim->clearReceived();
    QVERIFY(sim->received().empty());
    QVERIFY(!sim->inStandby(0));
    sim->receive("IZ");
    QCOMPARE(sim->received().size(), std::size_t{1});
    QCOMPARE(sim->received().front(), std::string("IZ"));
}

// Any text at all: no crash, replies always whole hex pairs or the identification.
void TestSimStack::garbageNeverCrashes() {
    auto sim = manualStack();
    std::mt19937 rng(12345);
    const std::string alphabet = "MSxXTRIZ0123456789ABCDEFabcdef \r\n";
    for (int round = 0; round < 3000; ++round) {
        std::string text(rng() % 80, '\0');
        for (char& c : text) c = rng() % 4 == 0 ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()];
        sim->receive(text);
        if (round % 7 == 0) sim->advanceMs(rng() % 3000);
        const std::string reply = sim->takeReply(1 + rng() % 600, static_cast<int>(rng() % 50));
        QVERIFY(reply.size() <= 600);
    }
    sim->receive("MSX");
    sim->discardPending();
    const Read r = readRegister(*sim, 0, 0x02, 6);
    QCOMPARE(r.reply.size(), std::size_t{22});
}

ZMX_TEST_MAIN(tst_simstack, TestSimStack, Core)
#include "tst_simstack.moc"
