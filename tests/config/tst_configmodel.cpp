// The configuration register model: bit boxes to image texts and back, the CDC mode table,
// the pending marks, and how the window shows them.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "protocol/Hex.h"
#include "rules/ConfigModel.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

using namespace zmx;
using namespace zmx::test;

namespace {
const QColor kOliveText(128, 128, 0), kGreyBack(224, 224, 224), kWhiteBack(255, 255, 255);

bool showsPending(QWidget* box) { return foreground(box) == kOliveText && background(box) == kGreyBack; }
bool showsPlain(QWidget* box) { return foreground(box) == systemWindowText() && background(box) == kWhiteBack; }

std::array<QCheckBox*, 8>& boxesOf(Form1& form, int reg) {
    switch (reg) {
        case 0: return form.ui.Check0;
        case 1: return form.ui.Check1;
        case 2: return form.ui.Check2;
        default: return form.ui.Check3;
    }
}

// Counts every toggled signal of the 32 bit boxes: a load must not run their handlers.
struct ToggleCounter {
    explicit ToggleCounter(Form1& form) {
        for (int reg = 0; reg < 4; ++reg)
            for (QCheckBox* box : boxesOf(form, reg))
                QObject::connect(box, &QCheckBox::toggled, box, [this] { ++count; });
    }
    int count = 0;
};

void encode(Form1& form, int reg) {
    if (reg == 0) form.EncodeCfgr0();
    else form.EncodeCfgr(reg);
}

RegisterBits bitsOf(std::initializer_list<int> set) {
    RegisterBits b{};
    for (int i : set) b[static_cast<std::size_t>(i)] = true;
    return b;
}
}  // namespace

class TestConfigModel : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> boxWindow_;

private slots:
    void cleanupTestCase() { boxWindow_.reset(); }

    // Every box of CFGR0..CFGR3 is the bit of its own index, alone and among all the others.
    void everyBitBoxRoundTrips_data() {
        QTest::addColumn<int>("bit");
        for (int reg = 0; reg < 4; ++reg)
            for (int bit = 0; bit < 8; ++bit) QTest::addRow("CFGR%d bit%d", reg, bit) << bit;
    }
    void everyBitBoxRoundTrips() {
        QFETCH(int, bit);
        const RegisterBits alone = bitsOf({bit});
        const std::string aloneText = encodeRegister(alone);
        QCOMPARE(aloneText.size(), std::size_t(2));
        QCOMPARE(std::stoi(aloneText, nullptr, 16), 1 << bit);
        QCOMPARE(decodeRegister(aloneText), alone);

        RegisterBits allBut{};
        allBut.fill(true);
        allBut[static_cast<std::size_t>(bit)] = false;
        const std::string allButText = encodeRegister(allBut);
        QCOMPARE(std::stoi(allButText, nullptr, 16), 0xFF & ~(1 << bit));
        QCOMPARE(decodeRegister(allButText), allBut);
    }

    void encodesTwoUpperCaseDigits_data() {
        QTest::addColumn<RegisterBits>("bits");
        QTest::addColumn<QString>("text");
        QTest::newRow("default CFGR0") << bitsOf({5, 6, 7}) << "E0";
        QTest::newRow("WDTB cleared") << bitsOf({5, 6}) << "60";
        QTest::newRow("CDC 3 and 10CELLS") << bitsOf({0, 1, 3}) << "0B";
        QTest::newRow("DCC cell 1") << bitsOf({0}) << "01";
        QTest::newRow("DCC cells 1..8") << bitsOf({0, 1, 2, 3, 4, 5, 6, 7}) << "FF";
        QTest::newRow("nothing") << RegisterBits{} << "00";
    }
    void encodesTwoUpperCaseDigits() {
        QFETCH(RegisterBits, bits);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(encodeRegister(bits)), text);
    }

    void decodeReadsTextLeniently_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<RegisterBits>("bits");
        QTest::newRow("empty") << "" << RegisterBits{};
        QTest::newRow("not hex") << "ZZ" << RegisterBits{};
        QTest::newRow("lower case") << "e1" << bitsOf({0, 5, 6, 7});
        QTest::newRow("one digit") << "8" << bitsOf({3});
    }
    void decodeReadsTextLeniently() {
        QFETCH(QString, text);
        QFETCH(RegisterBits, bits);
        QCOMPARE(decodeRegister(text.toStdString()), bits);
    }

    void cdcReplacesOnlyBitsTwoToZero_data() {
        QTest::addColumn<QString>("cfgr0");
        QTest::addColumn<int>("cdc");
        QTest::addColumn<QString>("result");
        QTest::newRow("up from standby") << "E0" << 1 << "E1";
        QTest::newRow("back to standby") << "E7" << 0 << "E0";
        QTest::newRow("keeps 10CELLS") << "E8" << 3 << "EB";
        QTest::newRow("leading zero") << "08" << 7 << "0F";
        QTest::newRow("empty image") << "" << 5 << "05";
    }
    void cdcReplacesOnlyBitsTwoToZero() {
        QFETCH(QString, cfgr0);
        QFETCH(int, cdc);
        QFETCH(QString, result);
        QCOMPARE(QString::fromStdString(withCdcBits(cfgr0.toStdString(), cdc)), result);
        QCOMPARE(cdcOfImage(result.toStdString()), cdc);
    }

    void modeTableTexts_data() {
        QTest::addColumn<int>("cdc");
        QTest::addColumn<QString>("text");
        QTest::newRow("0 standby")
            << 0
            << "|     Comparator Off     |                 Yes                |                   N/A                  | "
               "|default StandbyMode |          VREF is OFF!         |             ADC is OFF!           | ";
        QTest::newRow("2, second row without trailing blank")
            << 2
            << "|              13mS            |                 No                  |                   13mS                | "
               "|                                   |                                       |           (Cell Voltage)           |";
        QTest::newRow("4 shares the second row of 3")
            << 4
            << "|              500mS          |                 No                  |                   13mS                | "
               "|                                   |                                       |           (Cell Voltage)           |  ";
        QTest::newRow("7 shares the second row of 5")
            << 7
            << "|            2000mS          |                Yes                 |                   21mS               | "
               "|                                   |     8mS output settling    |  8mS VREF + 13mS Cell V | ";
    }
    void modeTableTexts() {
        QFETCH(int, cdc);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(cdcModeText(cdc)), text);
    }

    void pendingMarks_data() {
        QTest::addColumn<QStringList>("image");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<bool>("registers");
        QTest::addColumn<bool>("cdc");
        QTest::addColumn<bool>("vuv");
        QTest::addColumn<bool>("vov");
        const QStringList def{"E0", "00", "00", "00", "00", "00"};
        QTest::newRow("never written") << def << QStringList(6, QString()) << true << false << true << true;
        QTest::newRow("written as composed") << def << def << false << false << false << false;
        QTest::newRow("10CELLS only") << QStringList{"E8", "00", "00", "00", "00", "00"} << def << true << false
                                      << false << false;
        QTest::newRow("CDC stepped") << QStringList{"E1", "00", "00", "00", "00", "00"} << def << true << true << false
                                     << false;
        QTest::newRow("CDC equal, 10CELLS differs")
            << QStringList{"E1", "00", "00", "00", "00", "00"} << QStringList{"E9", "00", "00", "00", "00", "00"}
            << true << false << false << false;
        QTest::newRow("discharge bit") << QStringList{"E0", "01", "00", "00", "00", "00"} << def << true << false
                                       << false << false;
        QTest::newRow("VUV only") << QStringList{"E0", "00", "00", "00", "9C", "00"} << def << true << false << true
                                  << false;
        QTest::newRow("VOV only") << QStringList{"E0", "00", "00", "00", "00", "B0"} << def << true << false << false
                                  << true;
        QTest::newRow("CDC set, never written") << QStringList{"E3", "00", "00", "00", "00", "00"}
                                                << QStringList(6, QString()) << true << true << true << true;
    }
    void pendingMarks() {
        QFETCH(QStringList, image);
        QFETCH(QStringList, written);
        QFETCH(bool, registers);
        QFETCH(bool, cdc);
        QFETCH(bool, vuv);
        QFETCH(bool, vov);
        StackState st;
        const int slot = 4;
        for (int k = 0; k < 6; ++k) {
            st.cfgImage[slot][k] = image[k].toStdString();
            st.cfgWritten[slot][k] = written[k].toStdString();
        }
        const PendingMarks m = zmx::pendingMarks(st, slot);
        QCOMPARE(m.registers, registers);
        QCOMPARE(m.cdc, cdc);
        QCOMPARE(m.vuv, vuv);
        QCOMPARE(m.vov, vov);
    }

    // ------------------------------------------------------------------ the window

    void startUpShowsAPendingStandbyConfiguration() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        QCOMPARE(w.ui.Text4[0]->text(), QString("   E0   "));
        for (int k = 1; k < 6; ++k) QCOMPARE(w.ui.Text4[k]->text(), QString("   00   "));
        for (auto* box : w.ui.Text4) QVERIFY(showsPending(box));
        QVERIFY(showsPending(w.ui.Text3));
        QVERIFY(showsPending(w.ui.Text15));
        QCOMPARE(int(w.st.configChanged), 1);
        QCOMPARE(w.ui.Command1[5]->text(), QString("WRITECONFIG"));
        QCOMPARE(w.ui.Command1[5]->geometry().left(), 804);
        QCOMPARE(w.ui.Command1[5]->width(), 81);
        QCOMPARE(w.ui.Command1[5]->height(), 17);
        QVERIFY(!w.ui.Shape14->isHidden());
        QCOMPARE(w.ui.Text15->text(), QString("0"));
        QCOMPARE(w.ui.Text3->toPlainText(), QString::fromStdString(cdcModeText(0)));
        QVERIFY(!w.ui.Label_KA[1]->isHidden());
        QVERIFY(!w.ui.Shape16[6]->isHidden());
        QCOMPARE(w.ui.Label_KA[1]->text(), QString("CDC=0-STANDBY MODE. CLICK UP/DOWN BUTTON TO SET CDC>0 "
                                                   "THEN WRITE CONFIG FOR MEASURE MODE"));
        QCOMPARE(w.ui.Label_KA[1]->font().pointSize(), 9);
        QCOMPARE(background(w.ui.Label_KA[1]), QColor(255, 255, 192));
        // The timer runs from start-up on: its ticks keep the notice, and no keep-alive
        // marker shows while nothing has been written in measure mode.
        for (int tick = 0; tick < 6; ++tick) w.Timer1_Timer();
        QVERIFY(!w.ui.Label_KA[1]->isHidden());
        QCOMPARE(background(w.ui.Label_KA[1]), QColor(255, 255, 192));
        QVERIFY(w.ui.Label_KA[0]->isHidden());
        QCOMPARE(w.ui.Command1[5]->text(), QString("WRITECONFIG"));
    }

    void applyCdcShowsTheValue_data() {
        QTest::addColumn<int>("cdc");
        QTest::addColumn<int>("keepAlive");
        QTest::addColumn<bool>("noticeShown");
        QTest::newRow("1") << 1 << 0 << false;
        QTest::newRow("3") << 3 << 0 << false;
        QTest::newRow("7") << 7 << 0 << false;
        QTest::newRow("5, banner kept while serving the watchdog") << 5 << 1 << true;
        QTest::newRow("back to 0") << 0 << 0 << true;
    }
    void applyCdcShowsTheValue() {
        QFETCH(int, cdc);
        QFETCH(int, keepAlive);
        QFETCH(bool, noticeShown);
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.st.cfgImage[0][0] = "E6";
        w.st.keepAliveActive = static_cast<int16_t>(keepAlive);
        w.st.cdcValue[0] = static_cast<int16_t>(cdc);
        w.ApplyCdc();
        QCOMPARE(QString::fromStdString(w.st.cfgImage[0][0]), QString("E%1").arg(cdc));
        for (int bit = 0; bit < 3; ++bit) QCOMPARE(w.ui.Check0[bit]->isChecked(), ((cdc >> bit) & 1) == 1);
        QCOMPARE(w.ui.Text15->text(), QString::number(cdc));
        QVERIFY(w.ui.Text15->alignment() & Qt::AlignHCenter);
        QCOMPARE(w.ui.Text3->toPlainText(), QString::fromStdString(cdcModeText(cdc)));
        QCOMPARE(!w.ui.Label_KA[1]->isHidden(), noticeShown);
        QCOMPARE(!w.ui.Shape16[6]->isHidden(), cdc == 0);
        QCOMPARE(w.ui.Text4[0]->text(), QString("   E%1   ").arg(cdc));
    }

    // Showing another board's stored values never changes an image: ApplyCdc writes the
    // CDC bits itself and neither it nor LoadCfgrBoxes runs the boxes' handlers, so the
    // boxes 7..3 that still show the previous board are never encoded.
    void showingAnotherBoardChangesNoImage() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.st.lastBoardIndex = 1;
        w.st.cfgImage[1] = {"13", "A5", "0F", "F0", "9C", "B0"};
        w.st.cdcValue[1] = 3;
        ToggleCounter toggles(w);
        w.st.selectedBoard = 1;
        w.ApplyCdc();
        for (int n = 0; n < 4; ++n) w.LoadCfgrBoxes(n);
        QCOMPARE(toggles.count, 0);
        QCOMPARE(w.st.cfgImage[1], (std::array<std::string, 6>{"13", "A5", "0F", "F0", "9C", "B0"}));
        QCOMPARE(w.st.cfgImage[0], (std::array<std::string, 6>{"E0", "00", "00", "00", "00", "00"}));
        for (int n = 0; n < 4; ++n) {
            const RegisterBits bits = decodeRegister(w.st.cfgImage[1][n]);
            for (int i = 0; i < 8; ++i) QCOMPARE(boxesOf(w, n)[i]->isChecked(), bits[i]);
        }
    }

    // Each of the 32 boxes loads from, and encodes into, the bit of its own index.
    void everyBoxLoadsAndEncodesItsBit_data() {
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("bit");
        for (int reg = 0; reg < 4; ++reg)
            for (int bit = 0; bit < 8; ++bit) QTest::addRow("CFGR%d bit%d", reg, bit) << reg << bit;
    }
    void everyBoxLoadsAndEncodesItsBit() {
        QFETCH(int, reg);
        QFETCH(int, bit);
        if (!boxWindow_) {  // one window for all rows: each row leaves its register at 00
            boxWindow_ = std::make_unique<WindowFixture>();
            QVERIFY(boxWindow_->load());
        }
        Form1& w = *boxWindow_->form;
        const std::string one = byteText(static_cast<uint8_t>(1 << bit));
        w.st.cfgImage[0][reg] = one;
        w.LoadCfgrBoxes(reg);
        for (int i = 0; i < 8; ++i) QCOMPARE(boxesOf(w, reg)[i]->isChecked(), i == bit);
        QCOMPARE(w.st.cfgImage[0][reg], one);
        boxesOf(w, reg)[bit]->setChecked(false);
        encode(w, reg);
        QCOMPARE(w.st.cfgImage[0][reg], std::string("00"));
    }

    void wdtbBoxTogglesCfgr0() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.ui.Check0[7]->setChecked(false);
        w.EncodeCfgr0();
        QCOMPARE(w.st.cfgImage[0][0], std::string("60"));
        w.ui.Check0[7]->setChecked(true);
        w.EncodeCfgr0();
        QCOMPARE(w.st.cfgImage[0][0], std::string("E0"));
    }

    void writtenImageShowsPlainUntilTheNextEdit() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.WriteConfig();
        w.RefreshConfigView();
        QCOMPARE(int(w.st.configChanged), 0);
        for (auto* box : w.ui.Text4) QVERIFY(showsPlain(box));
        for (QWidget* box : {static_cast<QWidget*>(w.ui.Text3), static_cast<QWidget*>(w.ui.Text15),
                             static_cast<QWidget*>(w.ui.Text2[0]), static_cast<QWidget*>(w.ui.Text2[1])})
            QVERIFY(showsPlain(box));
        QCOMPARE(w.ui.Command1[5]->text(), QString("WRITE CONFIG"));
        QCOMPARE(w.ui.Command1[5]->geometry().left(), 796);
        QCOMPARE(w.ui.Command1[5]->width(), 97);
        QVERIFY(w.ui.Shape14->isHidden());

        // Ten-cell bit alone: the register boxes are pending, the CDC display is not.
        w.st.cfgImage[0][0] = "E8";
        w.RefreshConfigView();
        for (auto* box : w.ui.Text4) QVERIFY(showsPending(box));
        QVERIFY(showsPlain(w.ui.Text3));
        QVERIFY(showsPlain(w.ui.Text15));
        QCOMPARE(w.ui.Command1[5]->text(), QString("WRITECONFIG"));

        // A threshold marks only its own box.
        w.st.cfgImage[0][0] = "E0";
        w.st.cfgImage[0][4] = "9C";
        w.RefreshConfigView();
        QVERIFY(showsPending(w.ui.Text2[0]));
        QVERIFY(showsPlain(w.ui.Text2[1]));
        QCOMPARE(w.ui.Text4[4]->text(), QString("   9C   "));
    }
};

ZMX_TEST_MAIN(tst_configmodel, TestConfigModel, Full)
#include "tst_configmodel.moc"
