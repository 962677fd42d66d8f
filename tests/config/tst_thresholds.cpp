// Threshold entry: key filter, reading of box texts, volts/code conversion, entry checks,
// stepping; and in the window the leave-validation, the scope of a stored code and the
// redraw of the boxes and of CFGR4/CFGR5.

#include <QtTest>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "rules/Thresholds.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

using namespace zmx;
using namespace zmx::test;

namespace {

// Types text into a threshold box as the user does and leaves it.
void enterThreshold(WindowFixture& f, int box, const QString& text) {
    f.form->Text2_GotFocus(box);
    f.form->ui.Text2[box]->setText(text);
    f.form->Text2_LostFocus(box);
}

}  // namespace

class TestThresholds : public QObject {
    Q_OBJECT
private slots:
    void keyFilter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("digit") << "1" << 1 << int('7') << true;
        QTest::newRow("first point") << "1" << 1 << int('.') << true;
        QTest::newRow("second point") << "1.2" << 3 << int('.') << false;
        QTest::newRow("minus at start") << "" << 0 << int('-') << true;
        QTest::newRow("minus before digits") << "5" << 0 << int('-') << true;
        QTest::newRow("late minus") << "5" << 1 << int('-') << false;
        QTest::newRow("second minus") << "-5" << 0 << int('-') << false;
        QTest::newRow("letter") << "1" << 1 << int('a') << false;
        QTest::newRow("capital V") << "1" << 1 << int('V') << false;
        QTest::newRow("plus") << "" << 0 << int('+') << false;
        QTest::newRow("comma") << "1" << 1 << int(',') << false;
        QTest::newRow("space") << "1" << 1 << int(' ') << false;
        QTest::newRow("backspace") << "1.2" << 3 << kKeyBackspace << true;
        QTest::newRow("enter") << "1.2" << 3 << kKeyEnter << true;
        QTest::newRow("point in padded text") << "  1.5  " << 5 << int('.') << false;
        QTest::newRow("non-ASCII") << "1" << 1 << 0xE9 << false;
    }
    void keyFilter() {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, key);
        QFETCH(bool, accepted);
        QCOMPARE(FilterNumericKey(text.toStdString(), caret, key), accepted ? key : 0);
    }

    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("value");
        QTest::newRow("empty") << "" << 0.0f;
        QTest::newRow("letters") << "abc" << 0.0f;
        QTest::newRow("point only") << "." << 0.0f;
        QTest::newRow("minus only") << "-" << 0.0f;
        QTest::newRow("shown text") << "3.000V " << 3.0f;
        QTest::newRow("negative shown text") << "-0.744V " << -0.744f;
        QTest::newRow("leading blanks") << "  1.2" << 1.2f;
        QTest::newRow("second point stops") << "1.2.3" << 1.2f;
        QTest::newRow("late minus stops") << "1-2" << 1.0f;
        QTest::newRow("point first") << ".5" << 0.5f;
        QTest::newRow("negative point first") << "-.5" << -0.5f;
        QTest::newRow("exponent") << "1e1" << 10.0f;
        QTest::newRow("bare exponent letter") << "2e" << 2.0f;
        QTest::newRow("huge exponent") << "1e99999999999999999999" << std::numeric_limits<float>::infinity();
        QTest::newRow("above single range") << "1e39" << std::numeric_limits<float>::infinity();
        QTest::newRow("tiny exponent") << "1e-99999" << 0.0f;
        QTest::newRow("negative huge") << "-1e400" << -std::numeric_limits<float>::infinity();
        QTest::newRow("long digits") << QString(400, '9') << std::numeric_limits<float>::infinity();
        QTest::newRow("long fraction") << "0." + QString(400, '0') + "1" << 0.0f;
        QTest::newRow("control chars") << QString(
                                              "\x01\x02"
                                              "5")
                                       << 0.0f;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(float, value);
        QCOMPARE(readLeadingNumber(text.toStdString()), value);
    }

    // Pasted text of any bytes reads as some number without crashing.
    void leadingNumberOfArbitraryBytes() {
        std::string bytes;
        for (int i = 0; i < 2048; ++i) {
            bytes.push_back(static_cast<char>((i * 73 + 11) & 0xFF));
            (void)readLeadingNumber(bytes.substr(i % 17));
            (void)checkEntry(bytes.substr(i % 5, 40), bytes.substr(i % 3, 20));
        }
    }

    void entryChecks_data() {
        QTest::addColumn<QString>("vuv");
        QTest::addColumn<QString>("vov");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<int>("vuvCode");
        QTest::addColumn<int>("vovCode");
        const int ok = int(EntryVerdict::Accepted), uvRange = int(EntryVerdict::VuvOutOfRange),
                  ovRange = int(EntryVerdict::VovOutOfRange), order = int(EntryVerdict::NotOrdered);
        QTest::newRow("VUV above range") << "5.377"
                                         << "5.352" << uvRange << 0 << 0;
        QTest::newRow("VUV limit passes range") << "5.376"
                                                << "5" << order << 0 << 0;
        QTest::newRow("VUV below range") << "-0.745"
                                         << "5" << uvRange << 0 << 0;
        QTest::newRow("VOV below range") << "1.2"
                                         << "-0.77" << ovRange << 0 << 0;
        QTest::newRow("VOV limit passes range") << "1.2"
                                                << "-0.768" << order << 0 << 0;
        QTest::newRow("VOV above range") << "1"
                                         << "5.353" << ovRange << 0 << 0;
        QTest::newRow("VUV checked first") << "9"
                                           << "9" << uvRange << 0 << 0;
        QTest::newRow("equal 1.2 V") << "1.2"
                                     << "1.2" << ok << 81 << 82;
        QTest::newRow("equal 4.2 V") << "4.2"
                                     << "4.2" << ok << 206 << 207;
        QTest::newRow("VUV above VOV") << "4.2"
                                       << "4.0" << order << 0 << 0;
        QTest::newRow("start-up codes refuse VUV") << "3"
                                                   << "-0.768V " << order << 0 << 0;
        QTest::newRow("empty boxes read 0") << ""
                                            << "" << ok << 31 << 32;
        QTest::newRow("full range") << "-0.744"
                                    << "5.352" << ok << 0 << 255;
        QTest::newRow("shown texts") << "3.000V "
                                     << "4.200V " << ok << 156 << 207;
    }
    void entryChecks() {
        QFETCH(QString, vuv);
        QFETCH(QString, vov);
        QFETCH(int, verdict);
        const EntryCheck check = checkEntry(vuv.toStdString(), vov.toStdString());
        QCOMPARE(int(check.verdict), verdict);
        if (check.verdict == EntryVerdict::Accepted) {
            QTEST(int(check.vuvCode), "vuvCode");
            QTEST(int(check.vovCode), "vovCode");
        }
    }

    void messages() {
        QCOMPARE(QString(entryMessage(EntryVerdict::VuvOutOfRange)),
                 QString("Only Enter Values Between -0.744V and 5.376V."));
        QCOMPARE(QString(entryMessage(EntryVerdict::VovOutOfRange)),
                 QString("Only Enter Values Between  -0.768V and 5.352V."));
        QCOMPARE(QString(entryMessage(EntryVerdict::NotOrdered)), QString("VUV must be less than VOV"));
        QVERIFY(entryMessage(EntryVerdict::Accepted) == nullptr);
    }

    void rounding_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");                                              // -1: no code 0..255
        QTest::newRow("tie to even up") << int(Threshold::Vuv) << "0.012" << 32;    // 31.5
        QTest::newRow("tie to even down") << int(Threshold::Vuv) << "0.036" << 32;  // 32.5
        QTest::newRow("below half") << int(Threshold::Vov) << "0.011" << 32;
        QTest::newRow("3 V") << int(Threshold::Vuv) << "3" << 156;
        QTest::newRow("out of byte above") << int(Threshold::Vuv) << "99" << -1;
        QTest::newRow("out of byte below") << int(Threshold::Vov) << "-5" << -1;
        QTest::newRow("empty") << int(Threshold::Vov) << "" << 32;
    }
    void rounding() {
        QFETCH(int, which);
        QFETCH(QString, text);
        QFETCH(int, code);
        const auto result = codeFromText(Threshold(which), text.toStdString());
        QCOMPARE(result.has_value() ? int(*result) : -1, code);
    }

    void displayText_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("VUV 0") << int(Threshold::Vuv) << 0 << "-0.744V ";
        QTest::newRow("VOV 0") << int(Threshold::Vov) << 0 << "-0.768V ";
        QTest::newRow("VUV 31 is zero volts") << int(Threshold::Vuv) << 31 << "0.000V ";
        QTest::newRow("VOV 32 is zero volts") << int(Threshold::Vov) << 32 << "0.000V ";
        QTest::newRow("VUV 156") << int(Threshold::Vuv) << 156 << "3.000V ";
        QTest::newRow("VUV 255") << int(Threshold::Vuv) << 255 << "5.376V ";
        QTest::newRow("VOV 255") << int(Threshold::Vov) << 255 << "5.352V ";
    }
    void displayText() {
        QFETCH(int, which);
        QFETCH(int, code);
        QTEST(QString::fromStdString(thresholdText(Threshold(which), code)), "text");
    }

    // What a box shows reads back as the same code, for every code of both thresholds.
    void shownTextReadsBackAsItsCode() {
        for (Threshold which : {Threshold::Vuv, Threshold::Vov})
            for (int code = 0; code <= 255; ++code) {
                const auto back = codeFromText(which, thresholdText(which, code));
                QVERIFY2(back && *back == code, qPrintable(QString("code %1").arg(code)));
            }
    }

    void stepping_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("result");
        QTest::newRow("down from 0 wraps") << 0 << -1 << 255;
        QTest::newRow("up from 255 wraps") << 255 << 1 << 0;
        QTest::newRow("up") << 81 << 1 << 82;
        QTest::newRow("down") << 82 << -1 << 81;
    }
    void stepping() {
        QFETCH(int, code);
        QFETCH(int, delta);
        QTEST(int(stepCode(code, delta)), "result");
    }

    // ------------------------------------------------------------------ in the window

    // Entries as the user makes them, one box at a time from start-up (codes 0 and 0).
    void leaveValidation_data() {
        QTest::addColumn<QStringList>("entries");  // "box:text"
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("vuvCode");
        QTest::addColumn<int>("vovCode");
        const QString uvRange = kVuvRangeMessage, ovRange = kVovRangeMessage, order = kOrderMessage;
        QTest::newRow("VUV above range") << QStringList{"0:5.377"} << QStringList{uvRange} << 0 << 0;
        QTest::newRow("VOV below range") << QStringList{"1:-0.77"} << QStringList{ovRange} << 0 << 0;
        QTest::newRow("start-up VOV refuses VUV") << QStringList{"0:3"} << QStringList{order} << 0 << 0;
        QTest::newRow("equal 1.2 V") << QStringList{"1:1.2", "0:1.2"} << QStringList{} << 81 << 82;
        QTest::newRow("equal 4.2 V") << QStringList{"1:4.2", "0:4.2"} << QStringList{} << 206 << 207;
        QTest::newRow("VUV above VOV") << QStringList{"1:4.0", "0:4.2"} << QStringList{order} << 0 << 199;
        QTest::newRow("empty boxes read 0") << QStringList{"1:", "0:"} << QStringList{} << 31 << 32;
        QTest::newRow("VOV under stored VUV")
            << QStringList{"1:4.2", "0:4.0", "1:3.9"} << QStringList{order} << 198 << 207;
        QTest::newRow("junk reads 0") << QStringList{"1:abc", "0:\u00e9-1"} << QStringList{} << 31 << 32;
    }
    void leaveValidation() {
        QFETCH(QStringList, entries);
        QFETCH(int, vuvCode);
        QFETCH(int, vovCode);
        WindowFixture f;
        QVERIFY(f.load());
        for (const QString& entry : entries) enterThreshold(f, entry.left(1).toInt(), entry.mid(2));
        QTEST(f.messages, "messages");
        QCOMPARE(int(f.form->st.vuvCode[0]), vuvCode);
        QCOMPARE(int(f.form->st.vovCode[0]), vovCode);
        // The boxes and CFGR4/CFGR5 show the stored codes, refused entries included.
        QCOMPARE(f.form->ui.Text2[0]->text(), QString::fromStdString(thresholdText(Threshold::Vuv, vuvCode)));
        QCOMPARE(f.form->ui.Text2[1]->text(), QString::fromStdString(thresholdText(Threshold::Vov, vovCode)));
        QCOMPARE(QString::fromStdString(f.form->st.cfgImage[0][4]),
                 QString("%1").arg(vuvCode, 2, 16, QChar('0')).toUpper());
        QCOMPARE(QString::fromStdString(f.form->st.cfgImage[0][5]),
                 QString("%1").arg(vovCode, 2, 16, QChar('0')).toUpper());
        QCOMPARE(f.form->ui.Shape16[7]->isHidden(), vuvCode != 0);
        QCOMPARE(f.form->ui.Shape16[8]->isHidden(), vovCode != 0);
    }

    // Typing goes through the key filter; the box turns to the pending colours.
    void typedKeys_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("second point ignored") << "1.2.5"
                                              << "1.25";
        QTest::newRow("late minus ignored") << "4-.2"
                                            << "4.2";
        QTest::newRow("leading minus") << "-0.5"
                                       << "-0.5";
        QTest::newRow("letters ignored") << "a3Vx.1"
                                         << "3.1";
    }
    void typedKeys() {
        QFETCH(QString, keys);
        WindowFixture f;
        QVERIFY(f.load());
        QLineEdit* box = f.form->ui.Text2[1];
        f.form->Text2_GotFocus(1);
        QVERIFY(box->text().isEmpty());
        QTest::keyClicks(box, keys);
        QTEST(box->text(), "text");
        QCOMPARE(foreground(box), QColor(128, 128, 0));
        QCOMPARE(background(box), QColor(224, 224, 224));
    }

    // Enter leaves the box for WRITE CONFIG, which stores the entry; one leave, one message.
    void enterStoresEntry() {
        WindowFixture f;
        QVERIFY(f.load());
        QLineEdit* box = f.form->ui.Text2[1];
        f.form->Text2_GotFocus(1);
        QTest::keyClicks(box, "4.2");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(int(f.form->st.vovCode[0]), 207);
        QCOMPARE(box->text(), QString("4.200V "));
        f.form->Text2_GotFocus(0);
        QTest::keyClicks(f.form->ui.Text2[0], "5.377");
        QTest::keyClick(f.form->ui.Text2[0], Qt::Key_Enter);
        QCOMPARE(f.messages, QStringList{kVuvRangeMessage});
    }

    // With the window active, focus moves raise the box events; a message box that takes the
    // focus while the leave is validated neither validates again nor empties a box.
    void oneLeaveOneMessage() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        f.form->seams().messageBox = [&](const QString& text) {
            f.messages << text;
            // What a modal message box does: the window loses activation while the message
            // is up; a second leave of either box arriving meanwhile is not validated.
            QWidget popup;
            popup.show();
            popup.activateWindow();
            QApplication::processEvents();
            w.Text2_LostFocus(0);
            w.Text2_LostFocus(1);
            popup.close();
            QApplication::processEvents();
        };
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.ui.Text2[0]->setFocus(Qt::MouseFocusReason);
        QCOMPARE(w.ui.Text2[0]->text(), QString());  // GotFocus emptied it
        QTest::keyClicks(w.ui.Text2[0], "5.5");
        w.ui.Text2[1]->setFocus(Qt::MouseFocusReason);  // leaving the VUV box
        QCOMPARE(f.messages, QStringList{kVuvRangeMessage});
        QCOMPARE(w.ui.Text2[0]->text(), QString("-0.744V "));
        w.activateWindow();
        QTRY_VERIFY(w.isActiveWindow());
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(int(w.st.vuvCode[0]), 0);
    }

    // Switching to another window and back is not leaving the box: the entry stays as typed.
    void switchingWindowsKeepsEntry() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.ui.Text2[1]->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(w.ui.Text2[1], "4.2");
        {
            QWidget other;
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        }
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.ui.Text2[1]->text(), QString("4.2"));
        QCOMPARE(int(w.st.vovCode[0]), 0);
        QVERIFY(f.messages.isEmpty());
        w.ui.Command1[5]->setFocus(Qt::TabFocusReason);
        QCOMPARE(int(w.st.vovCode[0]), 207);
    }

    // A stored entry reaches the selected board (custom) or every board of the stack (global).
    void entryScope_data() {
        QTest::addColumn<bool>("global");
        QTest::newRow("custom") << false;
        QTest::newRow("global") << true;
    }
    void entryScope() {
        QFETCH(bool, global);
        WindowFixture f;
        QVERIFY(f.load());
        useBoards(f, 3);
        f.form->Command4_Click(1);
        f.form->ui.Option1[global ? 1 : 0]->click();
        enterThreshold(f, 1, "4.2");
        for (int s = 0; s < 3; ++s) QCOMPARE(int(f.form->st.vovCode[s]), (global || s == 1) ? 207 : 0);
        QCOMPARE(int(f.form->st.vovCode[3]), 0);  // beyond the stack
    }

    // Stepping acts on the selected board whatever the scope, with wrap-around.
    void stepButtons_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("shown");
        QTest::newRow("VUV down from 0") << 0 << 0 << 255 << "5.376V ";
        QTest::newRow("VUV up") << 1 << 0 << 1 << "-0.720V ";
        QTest::newRow("VOV down") << 2 << 82 << 81 << "1.176V ";
        QTest::newRow("VOV up from 255") << 3 << 255 << 0 << "-0.768V ";
    }
    void stepButtons() {
        QFETCH(int, button);
        QFETCH(int, from);
        QFETCH(int, to);
        WindowFixture f;
        QVERIFY(f.load());
        useBoards(f, 2);
        const bool vov = button >= 2;
        (vov ? f.form->st.vovCode : f.form->st.vuvCode)[0] = int16_t(from);
        f.form->Command2_Click(button);
        QCOMPARE(int((vov ? f.form->st.vovCode : f.form->st.vuvCode)[0]), to);
        QCOMPARE(int((vov ? f.form->st.vovCode : f.form->st.vuvCode)[1]), 0);
        QTEST(f.form->ui.Text2[vov ? 1 : 0]->text(), "shown");
    }
};

ZMX_TEST_MAIN(tst_thresholds, TestThresholds, Full)
#include "tst_thresholds.moc"
