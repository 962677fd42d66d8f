// The main of every test program (compiled into each, so that QT_WIDGETS_LIB tells whether
// this program can make a QApplication).

#include "support/TestMain.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#endif

namespace zmx::test {
namespace {

struct Registered {
    const char* name;
    TestApp app;
    TestEntry run;
};

std::vector<Registered>& registry() {
    static std::vector<Registered> all;
    return all;
}

std::unique_ptr<QCoreApplication> makeApp(TestApp app, int& argc, char** argv) {
    if (app == TestApp::None) return nullptr;
#ifdef QT_WIDGETS_LIB
    if (app == TestApp::Full) {
        auto a = std::make_unique<QApplication>(argc, argv);
        a->setAttribute(Qt::AA_Use96Dpi, true);
        return a;
    }
#endif
    return std::make_unique<QCoreApplication>(argc, argv);
}

}  // namespace

TestRegistration::TestRegistration(const char* name, TestApp app, TestEntry run) {
    registry().push_back({name, app, run});
}

}  // namespace zmx::test

int main(int argc, char** argv) {
    using namespace zmx::test;
    const auto& all = registry();
    if (argc > 1 && argv[1][0] != '-') {
        for (const Registered& r : all) {
            if (std::strcmp(r.name, argv[1]) != 0) continue;
            // The class's own arguments follow its name; Qt Test sees the program name first.
            std::vector<char*> args{argv[0]};
            args.insert(args.end(), argv + 2, argv + argc);
            int n = static_cast<int>(args.size());
            args.push_back(nullptr);
            const auto app = makeApp(r.app, n, args.data());
            return r.run(n, args.data());
        }
        std::fprintf(stderr, "%s: no test named %s; this program holds:", argv[0], argv[1]);
        for (const Registered& r : all) std::fprintf(stderr, " %s", r.name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    // Every class in turn, in the one application the most demanding of them needs.
    TestApp app = TestApp::None;
    for (const Registered& r : all) app = std::max(app, r.app);
    const auto application = makeApp(app, argc, argv);
    int failed = 0;
    for (const Registered& r : all) failed += r.run(argc, argv) != 0;
    return failed;
}
