// Cutting the bytes that arrive over a serial device back into the texts the PC wrote,
// whatever pieces they come in.

#include <QtTest>

#include "sim/ControllerTexts.h"
#include "support/TestMain.h"

using namespace zmx::sim;

namespace {

std::vector<std::string> assemble(const std::vector<std::string>& pieces, std::string* partial = nullptr) {
    TextAssembler a;
    std::vector<std::string> out;
    for (const std::string& p : pieces) {
        a.add(p);
        while (auto t = a.next()) out.push_back(*t);
    }
    if (partial) *partial = a.takePartial();
    return out;
}

}  // namespace

class TestControllerTexts : public QObject {
    Q_OBJECT
private slots:
    // Every text comes out whole, wherever the stream is cut, and nothing is left over.
    void everyCutGivesTheSameTexts_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("identification") << QStringList{"IZ"};
        QTest::newRow("read config") << QStringList{"MSxT80T49T02TCERRRRRRRX"};
        QTest::newRow("broadcast start") << QStringList{"MSxS10SB0X"};
        QTest::newRow("broadcast wrcfg") << QStringList{"MSxT01SC7SE0S00S00S00S00S00SFEX"};
        QTest::newRow("addressed poll stays open, then closed") << QStringList{"MSxS80S49S40S07", "MSX"};
        QTest::newRow("broadcast poll then read") << QStringList{"MSxS50S0E", "MSX", "MSxT81T4ET0CT97RRRRX"};
        QTest::newRow("standby and identification") << QStringList{"MI", "IZ"};
        QTest::newRow("addressed start waits for its X") << QStringList{"MSxS80S49S10SB0X"};
        QTest::newRow("a session") << QStringList{"IZ",
                                                  "MSxT80T49T02TCERRRRRRRX",
                                                  "MSxS10SB0X",
                                                  "MSxT80T49T04TDC"
                                                  "RRRRRRRRRRRRRRRRRRRX",
                                                  "MSxS80S49S50S0E",
                                                  "MSX",
                                                  "MI",
                                                  "IZ"};
    }
    void everyCutGivesTheSameTexts() {
        QFETCH(QStringList, texts);
        std::vector<std::string> want;
        std::string stream;
        for (const QString& t : texts) {
            want.push_back(t.toStdString());
            stream += t.toStdString();
        }
        // Whole, then cut once at every place, then one byte at a time.
        QCOMPARE(assemble({stream}), want);
        for (std::size_t cut = 1; cut < stream.size(); ++cut) {
            std::string partial;
            QCOMPARE(assemble({stream.substr(0, cut), stream.substr(cut)}, &partial), want);
            QVERIFY(partial.empty());
        }
        std::vector<std::string> bytes;
        for (char c : stream) bytes.emplace_back(1, c);
        QCOMPARE(assemble(bytes), want);
    }

    // A text cut short stays back until more comes (or is handed over as it is).
    void incompleteTextsWait_data() {
        QTest::addColumn<QString>("bytes");
        QTest::newRow("I") << "I";
        QTest::newRow("M") << "M";
        QTest::newRow("MS") << "MS";
        QTest::newRow("frame without X") << "MSxT80T49T02TCERRRRRRR";
        QTest::newRow("half an item") << "MSxT8";
        QTest::newRow("poll without its PEC") << "MSxS80S49S40";
        QTest::newRow("noise only") << "\r\n??";
    }
    void incompleteTextsWait() {
        QFETCH(QString, bytes);
        std::string partial;
        QVERIFY(assemble({bytes.toStdString()}, &partial).empty());
        QCOMPARE(QString::fromStdString(partial), bytes);
    }

    // Characters outside the grammar travel with the text they precede, as the controller
    // skips them inside that text.
    void strayCharactersStayWithTheirText() {
        QCOMPARE(assemble({"\nIZ"}), std::vector<std::string>{"\nIZ"});
        QCOMPARE(assemble({"IQIZ"}), (std::vector<std::string>{"I", "QIZ"}));
        QCOMPARE(assemble({"MSxT80MSX"}), (std::vector<std::string>{"MSxT80", "MSX"}));
    }
};

ZMX_TEST_MAIN(tst_controllertexts, TestControllerTexts, None)
#include "tst_controllertexts.moc"
