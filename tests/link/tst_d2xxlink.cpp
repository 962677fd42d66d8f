// The D2XX backend against a stand-in library: loading and its failures, the entry-point
// table, and transfers that check status codes and byte counts.

#include <QtTest>

#include <dlfcn.h>

#include "link/ControllerLink.h"
#include "link/D2xxLink.h"
#include "link/LinkFactory.h"
#include "support/TestMain.h"

using namespace zmx;

namespace {

// Reaches the stand-in's test controls (dlopen of a loaded library returns the same copy).
struct FakeControls {
    void* h = ::dlopen(ZMX_FAKE_FTD2XX, RTLD_NOW);
    ~FakeControls() {
        if (h) ::dlclose(h);
    }
    void mode(const char* m) { reinterpret_cast<void (*)(const char*)>(::dlsym(h, "fake_ftd2xx_set_mode"))(m); }
    void preload(const char* t) { reinterpret_cast<void (*)(const char*)>(::dlsym(h, "fake_ftd2xx_preload"))(t); }
    int counter(const char* w) { return reinterpret_cast<int (*)(const char*)>(::dlsym(h, "fake_ftd2xx_counter"))(w); }
};

std::unique_ptr<D2xxLibrary> loadFake() {
    std::string error;
    auto lib = D2xxLibrary::load(ZMX_FAKE_FTD2XX, &error);
    if (!lib) qWarning("%s", error.c_str());
    return lib;
}

}  // namespace

class TestD2xxLink : public QObject {
    Q_OBJECT
private slots:
    void loaderFailures_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("library absent") << "/nonexistent/libftd2xx.so"
                                        << QStringList{"/nonexistent/libftd2xx.so", "could not be loaded", "--link"};
        QTest::newRow("entry point missing") << ZMX_FAKE_FTD2XX_NOREAD << QStringList{"lacks FT_Read"};
        QTest::newRow("not a library") << QString(ZMX_NOT_A_LIBRARY) << QStringList{"could not be loaded"};
    }

    void loaderFailures() {
        QFETCH(QString, path);
        QFETCH(QStringList, mentions);
        std::string error;
        QVERIFY(!D2xxLibrary::load(path.toStdString(), &error));
        for (const QString& m : mentions) QVERIFY2(QString::fromStdString(error).contains(m), error.c_str());
    }

    void tableIsComplete() {
        auto lib = loadFake();
        QVERIFY(lib);
        const D2xxApi& a = lib->api();
        QVERIFY(a.open && a.setTimeouts && a.write && a.read && a.close);
        QVERIFY(a.setBaudRate && a.setDataCharacteristics && a.setFlowControl);
        // Optional, but the stand-in has them.
        QVERIFY(a.purge && a.openEx && a.setVidPid && a.createDeviceInfoList && a.getDeviceInfoDetail &&
                a.getDeviceInfo);
        QCOMPARE(QString::fromStdString(lib->path()), QString(ZMX_FAKE_FTD2XX));
    }

    void environmentChoosesTheLibrary() {
        qputenv("ZMX_D2XX_LIBRARY", ZMX_FAKE_FTD2XX);
        std::string error;
        auto lib = D2xxLibrary::load({}, &error);
        qunsetenv("ZMX_D2XX_LIBRARY");
        QVERIFY2(lib, error.c_str());
        QCOMPARE(QString::fromStdString(lib->path()), QString(ZMX_FAKE_FTD2XX));
    }

    // --link d2xx without the library ends at start-up with the cause named.
    void factoryReportsAMissingLibrary() {
        qputenv("ZMX_D2XX_LIBRARY", "/nonexistent/libftd2xx.so");
        const LinkChoice c = makeLink("d2xx");
        qunsetenv("ZMX_D2XX_LIBRARY");
        QVERIFY(!c.backend);
        QVERIFY(QString::fromStdString(c.error).contains("/nonexistent/libftd2xx.so"));
        QVERIFY(QString::fromStdString(c.error).contains("--simulate"));
    }

    // Device 0 is opened once at 9600 8N1 without flow control and held open; each transfer
    // sets its time-outs, drops stale input, writes and reads.
    void transfersThroughTheLibrary() {
        FakeControls fake;
        fake.mode("");
        fake.preload("STALE");
        ControllerLink link(std::make_unique<D2xxLink>(loadFake()));
        QCOMPARE(link.Identify(), std::string("ZMX7730-4 fake LK200"));
        QCOMPARE(fake.counter("latency"), 1);  // set on open, so the identification ends after a short quiet gap
        QCOMPARE(fake.counter("readMs"), quietGapMs(link.backend().wireTiming()));
        QCOMPARE(fake.counter("writeMs"), 50);
        QCOMPARE(link.SendAndReceive("MSxT80T49T02TCERRRRRRRX", 4), std::string("MSxT"));
        QCOMPARE(fake.counter("readMs"), 1000);
        QCOMPARE(fake.counter("opens"), 1);
        QCOMPARE(fake.counter("closes"), 0);
        QCOMPARE(fake.counter("purges"), 2);
        QCOMPARE(fake.counter("baud"), 9600);
        QCOMPARE(fake.counter("bits"), 8);
        QCOMPARE(fake.counter("stop"), 0);    // one stop bit
        QCOMPARE(fake.counter("parity"), 0);  // none
        QCOMPARE(fake.counter("flow"), 0);    // none
        link.SendOnly("MSxS10SB0X");
        QVERIFY(fake.counter("statusCalls") > 0);  // a start frame waits until it has left
        // The device found first is the one a reopen takes.
        QCOMPARE(link.backend().deviceIdentity(), std::string("d2xx serial LK200A01"));
    }

    // A rate, a serial number and custom USB IDs reach the library; an unknown serial number
    // lists the ones present; a rate the device refuses is named.
    void deviceChoiceAndRate_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("device");
        QTest::addColumn<int>("baud");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("rate") << "d2xx@115200" << true << 0 << 115200 << "";
        QTest::newRow("serial of the controller") << "d2xx:LK200A01" << true << 0 << 9600 << "";
        QTest::newRow("serial of the other adapter") << "d2xx:FTOTHER1@19200" << true << 1 << 19200 << "";
        QTest::newRow("custom ids") << "d2xx:1234:abcd:LK200A01" << true << 0 << 9600 << "";
        QTest::newRow("unknown serial") << "d2xx:NOSUCH" << false << -1 << 0
                                        << "no FTDI device with USB serial number NOSUCH (present: LK200A01 "
                                           "(LK200 USB-SPI), FTOTHER1 (USB Serial Converter))";
        QTest::newRow("refused rate") << "d2xx@5000000" << false << -1 << 0
                                      << "refused the line rate 5000000 baud (FT_SetBaudRate returned status 7)";
    }
    void deviceChoiceAndRate() {
        QFETCH(QString, link);
        QFETCH(bool, opens);
        QFETCH(int, device);
        QFETCH(int, baud);
        QFETCH(QString, mentions);
        FakeControls fake;
        fake.mode("");
        qputenv("ZMX_D2XX_LIBRARY", ZMX_FAKE_FTD2XX);
        LinkChoice c = makeLink(link.toStdString());
        qunsetenv("ZMX_D2XX_LIBRARY");
        QVERIFY2(c.backend, c.error.c_str());
        QCOMPARE(c.backend->open(), opens);
        QCOMPARE(fake.counter("device"), device);
        if (opens) QCOMPARE(fake.counter("baud"), baud);
        QVERIFY2(QString::fromStdString(c.backend->lastError()).contains(mentions), c.backend->lastError().c_str());
        if (link.contains("1234:abcd")) {
            QCOMPARE(fake.counter("vid"), 0x1234);
            QCOMPARE(fake.counter("pid"), 0xabcd);
        }
        c.backend->close();
        QCOMPARE(fake.counter("closes"), opens || link.contains("@5000000") ? 1 : 0);
    }

    void devicesAreListedWithSerials() {
        FakeControls fake;
        fake.mode("");
        auto lib = loadFake();
        QVERIFY(lib);
        std::string error;
        const auto list = lib->devices(&error);
        QVERIFY2(list, error.c_str());
        QCOMPARE(int(list->size()), 2);
        QCOMPARE((*list)[1].serial, std::string("FTOTHER1"));
        QCOMPARE((*list)[1].description, std::string("USB Serial Converter"));
    }

    void failuresAreRecorded_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("mentions");
        QTest::addColumn<bool>("opens");
        // "Not found" also stands for a device the kernel driver holds or the user may not open.
        QTest::newRow("no device") << "absent"
                                   << "ftdi_sio" << false;
        QTest::newRow("write moves nothing") << "shortwrite"
                                             << "FT_Write moved 0 of 2 bytes" << true;
        QTest::newRow("read fails") << "readfail"
                                    << "FT_Read returned status 4" << true;
    }

    void failuresAreRecorded() {
        QFETCH(QString, mode);
        QFETCH(QString, mentions);
        QFETCH(bool, opens);
        FakeControls fake;
        fake.mode(mode.toLatin1().constData());
        auto backend = std::make_unique<D2xxLink>(loadFake());
        D2xxLink* raw = backend.get();
        ControllerLink link(std::move(backend));
        // Whatever fails, the identification reads as nothing and every opened device is
        // closed; the next transfer opens it again.
        QCOMPARE(link.Identify(), std::string());
        QVERIFY2(QString::fromStdString(raw->lastError()).contains(mentions), raw->lastError().c_str());
        QCOMPARE(fake.counter("opens"), opens ? 1 : 0);
        QCOMPARE(fake.counter("closes"), fake.counter("opens"));
        QVERIFY(!raw->isOpen());
        link.Identify();
        QCOMPARE(fake.counter("opens"), opens ? 2 : 0);
    }
};

ZMX_TEST_MAIN(tst_d2xxlink, TestD2xxLink, Core)
#include "tst_d2xxlink.moc"
