#pragma once
// Several test classes in one program. Each test file registers its class under its own
// name, the name of its CTest test; the program's main runs the class named by its first
// argument (the rest go to Qt Test as usual), or every class in turn when none is named.
// A folder's tests then compile into one program that links once, instead of one program
// and one link per class.

#include <QtTest>

namespace zmx::test {

// The application a class runs in, as Qt Test's three main macros make it.
enum class TestApp {
    None,  // QTEST_APPLESS_MAIN: no application object
    Core,  // QTEST_GUILESS_MAIN: QCoreApplication
    Full,  // QTEST_MAIN: QApplication where the program links Qt Widgets, else QCoreApplication
};

using TestEntry = int (*)(int argc, char** argv);

struct TestRegistration {
    TestRegistration(const char* name, TestApp app, TestEntry run);
};

}  // namespace zmx::test

// ZMX_TEST_MAIN(tst_pec, TestPec, None) in place of QTEST_APPLESS_MAIN(TestPec).
#define ZMX_TEST_MAIN(name, TestClass, app)                                                                           \
    static const ::zmx::test::TestRegistration zmxTestRegistration_##name(#name, ::zmx::test::TestApp::app,           \
                                                                          [](int argc, char** argv) {                 \
                                                                              TestClass test;                         \
                                                                              return QTest::qExec(&test, argc, argv); \
                                                                          });
