// Drawing and colour helpers of the main window: how shapes paint in each style, that
// colours set through the helpers read back the same and land in the palette role the
// widget draws with, and that long button captions wrap.

#include "support/TestMain.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"
#include "window/shell/widgets/WrappingButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

using namespace zmx;

namespace {

QImage render(QWidget& w) { return w.grab().toImage(); }

QColor pixel(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

// Round shapes are antialiased: allow a few steps per channel.
bool near(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) <= 8 && qAbs(a.green() - b.green()) <= 8 && qAbs(a.blue() - b.blue()) <= 8;
}

// Count of pixels in a band of rows that are clearly darker than the button face.
int darkPixels(const QImage& image, int fromRow, int toRow) {
    int count = 0;
    for (int y = fromRow; y < toRow; ++y)
        for (int x = 4; x < image.width() - 4; ++x)
            if (qGray(image.pixel(x, y)) < 100) ++count;
    return count;
}

using Factory = std::function<QWidget*()>;

}  // namespace

Q_DECLARE_METATYPE(ShapeWidget::Kind)
Q_DECLARE_METATYPE(Factory)
Q_DECLARE_METATYPE(QPalette::ColorRole)

class TestWidgetPaint : public QObject {
    Q_OBJECT

private slots:
    void shapesPaintTheirStyle_data() {
        QTest::addColumn<ShapeWidget::Kind>("kind");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<bool>("dimmed");
        QTest::addColumn<int>("borderWidth");
        QTest::addColumn<QColor>("centre");
        QTest::addColumn<QColor>("edge");  // middle of the left edge
        const QColor fill(255, 0, 0), border(0, 0, 255), grey(128, 128, 128);
        QTest::newRow("rectangle") << ShapeWidget::Kind::Rectangle << true << false << 1 << fill << border;
        QTest::newRow("rounded") << ShapeWidget::Kind::RoundedRectangle << true << false << 2 << fill << border;
        QTest::newRow("oval") << ShapeWidget::Kind::Oval << true << false << 2 << fill << border;
        QTest::newRow("no border") << ShapeWidget::Kind::Rectangle << true << false << 0 << fill << fill;
        QTest::newRow("dimmed: no fill, grey border")
            << ShapeWidget::Kind::Rectangle << true << true << 1 << QColor() << grey;
        QTest::newRow("dimmed oval") << ShapeWidget::Kind::Oval << true << true << 2 << QColor() << grey;
        QTest::newRow("unfilled highlight")
            << ShapeWidget::Kind::Rectangle << false << false << 2 << QColor() << border;
    }
    void shapesPaintTheirStyle() {
        QFETCH(ShapeWidget::Kind, kind);
        QFETCH(bool, filled);
        QFETCH(bool, dimmed);
        QFETCH(int, borderWidth);
        QFETCH(QColor, centre);
        QFETCH(QColor, edge);
        ShapeWidget shape(kind, nullptr);
        shape.resize(40, 40);
        shape.setFillColor(QColor(255, 0, 0));
        shape.setBorderColor(QColor(0, 0, 255));
        shape.setBorderWidth(borderWidth);
        shape.setFilled(filled);
        shape.setDimmed(dimmed);
        const QImage image = render(shape);
        if (centre.isValid()) QCOMPARE(pixel(image, 20, 20), centre);
        else QVERIFY(pixel(image, 20, 20) != QColor(255, 0, 0));  // not filled
        const QColor atEdge = pixel(image, 0, 20);
        QVERIFY2(near(atEdge, edge), qPrintable(atEdge.name()));
        // Dimming keeps the colours to restore them later.
        QCOMPARE(shape.fillColor(), QColor(255, 0, 0));
        QCOMPARE(shape.borderColor(), QColor(0, 0, 255));
    }

    void linesRunAlongTheLongSide_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("onLine");
        QTest::addColumn<QPoint>("offLine");
        QTest::newRow("horizontal") << QSize(30, 5) << QPoint(15, 2) << QPoint(15, 0);
        QTest::newRow("vertical") << QSize(5, 30) << QPoint(2, 15) << QPoint(0, 15);
    }
    void linesRunAlongTheLongSide() {
        QFETCH(QSize, size);
        QFETCH(QPoint, onLine);
        QFETCH(QPoint, offLine);
        ShapeWidget line(ShapeWidget::Kind::Line, nullptr);
        line.resize(size);
        line.setBorderColor(QColor(0, 0, 255));
        const QImage image = render(line);
        QCOMPARE(pixel(image, onLine.x(), onLine.y()), QColor(0, 0, 255));
        QVERIFY(pixel(image, offLine.x(), offLine.y()) != QColor(0, 0, 255));
        line.setDimmed(true);
        QCOMPARE(pixel(render(line), onLine.x(), onLine.y()), QColor(128, 128, 128));
    }

    void shapesLetClicksThrough() {
        ShapeWidget shape;
        QVERIFY(shape.testAttribute(Qt::WA_TransparentForMouseEvents));
        QCOMPARE(shape.focusPolicy(), Qt::NoFocus);
        shape.setBorderWidth(-3);
        QCOMPARE(shape.borderWidth(), 0);
    }

    // Colours set through the helpers read back unchanged, sit in the role the widget
    // type draws with, and stay when the control is disabled (dimmed panels disable boxes).
    void coloursUseTheRoleTheWidgetDrawsWith_data() {
        QTest::addColumn<Factory>("make");
        QTest::addColumn<QPalette::ColorRole>("backRole");
        QTest::addColumn<QPalette::ColorRole>("foreRole");
        QTest::addColumn<bool>("fills");
        QTest::newRow("line edit") << Factory([] { return new QLineEdit; }) << QPalette::Base << QPalette::Text
                                   << false;
        QTest::newRow("plain text") << Factory([] { return new QPlainTextEdit; }) << QPalette::Base << QPalette::Text
                                    << false;
        QTest::newRow("label") << Factory([] { return new QLabel; }) << QPalette::Window << QPalette::WindowText
                               << true;
        QTest::newRow("push button") << Factory([] { return new QPushButton; }) << QPalette::Button
                                     << QPalette::ButtonText << false;
        QTest::newRow("check box") << Factory([] { return new QCheckBox; }) << QPalette::Window << QPalette::WindowText
                                   << true;
        QTest::newRow("frame") << Factory([] { return new QGroupBox; }) << QPalette::Window << QPalette::WindowText
                               << true;
    }
    void coloursUseTheRoleTheWidgetDrawsWith() {
        QFETCH(Factory, make);
        QFETCH(QPalette::ColorRole, backRole);
        QFETCH(QPalette::ColorRole, foreRole);
        QFETCH(bool, fills);
        std::unique_ptr<QWidget> w(make());
        const QColor back(12, 34, 56), fore(200, 100, 50);
        setBackground(w.get(), back);
        setForeground(w.get(), fore);
        QCOMPARE(background(w.get()), back);
        QCOMPARE(foreground(w.get()), fore);
        QCOMPARE(w->palette().color(backRole), back);
        QCOMPARE(w->palette().color(foreRole), fore);
        QCOMPARE(w->autoFillBackground(), fills);
        w->setEnabled(false);
        QCOMPARE(background(w.get()), back);
        QCOMPARE(foreground(w.get()), fore);
    }

    void shapeColoursAreFillAndBorder() {
        ShapeWidget shape;
        setBackground(&shape, QColor(1, 2, 3));
        setForeground(&shape, QColor(4, 5, 6));
        QCOMPARE(shape.fillColor(), QColor(1, 2, 3));
        QCOMPARE(shape.borderColor(), QColor(4, 5, 6));
        QCOMPARE(background(&shape), QColor(1, 2, 3));
        QCOMPARE(foreground(&shape), QColor(4, 5, 6));
    }

    // Greying a cell panel's frame greys its captioned children but leaves a value box
    // that has colours of its own (white on black) as it was.
    void frameForegroundReachesChildrenWithoutOwnColours() {
        QGroupBox frame;
        auto* caption = new QCheckBox(QStringLiteral("DCC"), &frame);
        auto* value = new QLineEdit(&frame);
        setForeground(value, Qt::white);
        setBackground(value, Qt::black);
        setForeground(&frame, QColor(128, 128, 128));
        QCOMPARE(frame.palette().color(QPalette::Text), QColor(128, 128, 128));  // the title
        QCOMPARE(foreground(caption), QColor(128, 128, 128));
        QCOMPARE(foreground(value), QColor(Qt::white));
        QCOMPARE(background(value), QColor(Qt::black));
    }

    // The helpers leave a colour alone when the control already has it as its own, but a
    // colour it merely inherits from its frame still becomes its own: a later change of
    // the frame must not carry it along.
    void inheritedColourIsStillMadeOwn() {
        QGroupBox frame;
        auto* caption = new QCheckBox(QStringLiteral("DCC"), &frame);
        const QColor grey(128, 128, 128);
        setForeground(&frame, grey);
        QCOMPARE(foreground(caption), grey);
        setForeground(caption, grey);
        setForeground(caption, grey);
        setForeground(&frame, QColor(Qt::black));
        QCOMPARE(foreground(caption), grey);
        caption->setEnabled(false);
        QCOMPARE(foreground(caption), grey);
    }

    void geometryInUnitsAndTwips() {
        QWidget w;
        setGeometryUnits(&w, 796, 157, 97, 17);
        QCOMPARE(w.geometry(), QRect(796, 157, 97, 17));
        setGeometryTwips(&w, 60, 600, 210, 255);
        QCOMPARE(w.geometry(), QRect(4, 40, 14, 17));
    }

    void systemColoursComeFromTheApplicationPalette() {
        QCOMPARE(systemWindowText(), QApplication::palette().color(QPalette::Text));
        QCOMPARE(systemWindowBackground(), QApplication::palette().color(QPalette::Base));
    }

    // The wrapping button is a plain QPushButton to everyone else and puts a long caption
    // on two lines instead of cutting it off.
    void longCaptionsWrap() {
        WrappingButton button(QStringLiteral(" START CONTINUOUS   READ CELLS"));
        QCOMPARE(QString::fromLatin1(button.metaObject()->className()), QStringLiteral("QPushButton"));
        QVERIFY(qobject_cast<QPushButton*>(&button));
        QFont f(QStringLiteral("Arial"));
        f.setPointSizeF(7);
        button.setFont(f);
        button.resize(97, 30);
        const QImage wrapped = render(button);
        QVERIFY(darkPixels(wrapped, 3, 14) > 20);   // first line
        QVERIFY(darkPixels(wrapped, 16, 27) > 20);  // second line

        button.setText(QStringLiteral("POLL ADC"));
        const QImage single = render(button);
        QVERIFY(darkPixels(single, 3, 9) < 5);  // one centred line
        QVERIFY(darkPixels(single, 10, 20) > 20);
    }
};

ZMX_TEST_MAIN(tst_widgetpaint, TestWidgetPaint, Full)
#include "tst_widgetpaint.moc"
