// zmx7730-bench [CASE ...] [--runs N]: runs the named cases (all when none is named) on the
// in-process simulated stack and prints median and worst microseconds.

#include <QApplication>
#include <cstring>

#include "BenchHarness.h"

namespace zmx::bench {
std::vector<Case>& cases() {
    static std::vector<Case> all;
    return all;
}
}  // namespace zmx::bench

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    int runs = 2000;
    std::vector<std::string> wanted;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--list") == 0) {
            for (const auto& c : zmx::bench::cases()) std::printf("%s\n", c.name);
            return 0;
        } else wanted.emplace_back(argv[i]);
    }
    for (const auto& c : zmx::bench::cases())
        if (wanted.empty() || std::find(wanted.begin(), wanted.end(), c.name) != wanted.end()) c.run(runs);
    return 0;
}
