// The configuration register model: bit boxes to image texts and back, the CDC mode table,
// the pending marks, and how the window shows them.

#include <QtTest>

#include "config/ConfigModel.h"

using namespace zmx;

namespace {
RegisterBits bitsOf(std::initializer_list<int> set) {
    RegisterBits b{};
    for (int i : set) b[static_cast<std::size_t>(i)] = true;
    return b;
}
}  // namespace

class TstConfigModel : public QObject {
    Q_OBJECT
private slots:
    // Every box of CFGR0..CFGR3 is the bit of its own index, alone and among all the others.
    void everyBitBoxRoundTrips_data() {
        QTest::addColumn<int>("bit");
        for (int reg = 0; reg < 4; ++reg)
            for (int bit = 0; bit < 8; ++bit)
                QTest::addRow("CFGR%d bit%d", reg, bit) << bit;
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
        QTest::newRow("CDC stepped") << QStringList{"E1", "00", "00", "00", "00", "00"} << def << true << true
                                     << false << false;
        QTest::newRow("CDC equal, 10CELLS differs")
            << QStringList{"E1", "00", "00", "00", "00", "00"} << QStringList{"E9", "00", "00", "00", "00", "00"}
            << true << false << false << false;
        QTest::newRow("discharge bit") << QStringList{"E0", "01", "00", "00", "00", "00"} << def << true << false
                                       << false << false;
        QTest::newRow("VUV only") << QStringList{"E0", "00", "00", "00", "9C", "00"} << def << true << false << true
                                  << false;
        QTest::newRow("VOV only") << QStringList{"E0", "00", "00", "00", "00", "B0"} << def << true << false
                                  << false << true;
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
};

QTEST_MAIN(TstConfigModel)
#include "tst_configmodel.moc"
