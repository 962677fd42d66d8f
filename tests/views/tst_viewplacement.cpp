// Where the stack view goes beside the main window, and when a remembered place is kept.

#include <QtTest>

#include "support/TestMain.h"
#include "views/ViewPlacement.h"

using namespace zmx;

class TestViewPlacement : public QObject {
    Q_OBJECT
private slots:
    void placeBeside_data() {
        QTest::addColumn<QRect>("mainWindow");
        QTest::addColumn<QSize>("view");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("expected");
        const QRect hd(0, 0, 1920, 1080);
        QTest::newRow("room on the right") << QRect(0, 0, 900, 620) << QSize(900, 560) << hd << QRect(900, 0, 900, 560);
        QTest::newRow("right, pushed up to stay on screen")
            << QRect(0, 700, 900, 300) << QSize(900, 560) << hd << QRect(900, 520, 900, 560);
        QTest::newRow("no room right, room below")
            << QRect(0, 0, 1200, 400) << QSize(900, 560) << hd << QRect(0, 400, 900, 560);
        QTest::newRow("only left has room")
            << QRect(1000, 0, 920, 1080) << QSize(900, 560) << hd << QRect(100, 0, 900, 560);
        QTest::newRow("only above has room")
            << QRect(0, 600, 1920, 480) << QSize(900, 560) << hd << QRect(0, 40, 900, 560);
        // Nowhere free: the least covering place (below covers 900x60, right 720x560).
        QTest::newRow("no side has room")
            << QRect(0, 0, 1100, 600) << QSize(900, 560) << QRect(0, 0, 1280, 1100) << QRect(0, 540, 900, 560);
        QTest::newRow("view larger than the screen")
            << QRect(0, 0, 900, 620) << QSize(3000, 2000) << QRect(0, 0, 800, 600) << QRect(0, 0, 800, 600);
        QTest::newRow("second screen right of the first")
            << QRect(1920, 0, 900, 620) << QSize(900, 560) << QRect(1920, 0, 2560, 1400) << QRect(2820, 0, 900, 560);
        QTest::newRow("screen with a panel above, main below it")
            << QRect(-1280, 32, 900, 620) << QSize(900, 560) << QRect(-1280, 32, 1280, 1200)
            << QRect(-1280, 652, 900, 560);
    }
    void placeBeside() {
        QFETCH(QRect, mainWindow);
        QFETCH(QSize, view);
        QFETCH(QRect, screen);
        QFETCH(QRect, expected);
        const QRect placed = zmx::placeBeside(mainWindow, view, screen);
        QCOMPARE(placed, expected);
        QVERIFY(screen.contains(placed));
    }

    void rememberedPlace_data() {
        QTest::addColumn<QRect>("remembered");
        QTest::addColumn<bool>("kept");
        QTest::newRow("beside, on the first screen") << QRect(900, 0, 900, 560) << true;
        QTest::newRow("on the second screen") << QRect(2000, 100, 900, 560) << true;
        QTest::newRow("covers the main window") << QRect(500, 0, 900, 560) << false;
        QTest::newRow("across both screens") << QRect(1500, 0, 900, 560) << false;
        QTest::newRow("on a screen no longer there") << QRect(5000, 0, 900, 560) << false;
        QTest::newRow("none remembered") << QRect() << false;
    }
    void rememberedPlace() {
        QFETCH(QRect, remembered);
        QFETCH(bool, kept);
        const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 2560, 1440)};
        QCOMPARE(rememberedPlaceFits(remembered, QRect(0, 0, 900, 620), screens), kept);
    }
};

ZMX_TEST_MAIN(tst_viewplacement, TestViewPlacement, Core)
#include "tst_viewplacement.moc"
