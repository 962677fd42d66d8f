// The D2XX backend against a stand-in library: loading and its failures, the entry-point
// table, and transfers that check status codes and byte counts.

#include <QtTest>

#include <dlfcn.h>

#include "link/ControllerLink.h"
#include "link/D2xxLink.h"
#include "link/LinkFactory.h"

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
        QVERIFY(a.purge);  // optional, but the stand-in has it
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

    // Each transfer opens device 0, sets the time-outs, drops stale input, writes, reads, closes.
    void transfersThroughTheLibrary() {
        FakeControls fake;
        fake.mode("");
        fake.preload("STALE");
        ControllerLink link(std::make_unique<D2xxLink>(loadFake()));
        QCOMPARE(link.Identify(), std::string("ZMX7730-4 fake LK200"));
        QCOMPARE(fake.counter("readMs"), 200);
        QCOMPARE(fake.counter("writeMs"), 50);
        QCOMPARE(link.SendAndReceive("MSxT80T49T02TCERRRRRRRX", 4), std::string("MSxT"));
        QCOMPARE(fake.counter("readMs"), 1000);
        QCOMPARE(fake.counter("opens"), 2);
        QCOMPARE(fake.counter("closes"), 2);
        QCOMPARE(fake.counter("purges"), 2);
    }

    void failuresAreRecorded_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("mentions");
        QTest::addColumn<bool>("opens");
        QTest::newRow("no device") << "absent"
                                   << "no FTDI device found" << false;
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
        // Whatever fails, the identification reads as nothing and every opened device is closed.
        QCOMPARE(link.Identify(), std::string());
        QVERIFY2(QString::fromStdString(raw->lastError()).contains(mentions), raw->lastError().c_str());
        QCOMPARE(fake.counter("opens"), opens ? 1 : 0);
        QCOMPARE(fake.counter("closes"), fake.counter("opens"));
    }
};

QTEST_GUILESS_MAIN(TestD2xxLink)
#include "tst_d2xxlink.moc"
