// zmx7730-gui: the evaluation and monitoring window for a ZMX7730 stack.

#include <fcntl.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>

#include <QApplication>
#include <QSocketNotifier>

#include "cli/CommandLine.h"
#include "link/ControllerLink.h"
#include "link/LinkDiscovery.h"
#include "link/LinkFactory.h"
#include "views/widgets/RecordMenu.h"
#include "views/widgets/RememberedGeometry.h"
#include "views/widgets/StackViewWindow.h"
#include "views/widgets/ViewMenus.h"
#include "window/shell/Form1.h"

namespace {

int signalPipe[2] = {-1, -1};
constexpr char kDumpRequest = 'D';
constexpr char kQuitRequest = 'Q';

// The handlers only wake the event loop; the dump is written and the program ends between
// events, never in the middle of a transfer.
void onSignal(int sig) {
    const char b = sig == SIGUSR1 ? kDumpRequest : kQuitRequest;
    [[maybe_unused]] auto n = ::write(signalPipe[1], &b, 1);
}

void installSignals() {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;  // an interrupted read or write of a transfer resumes
    sigaction(SIGUSR1, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const zmx::CommandLine cl = zmx::parseCommandLine(args);
    if (!cl.error.empty()) {
        std::fprintf(stderr, "zmx7730-gui: %s\n%s", cl.error.c_str(), zmx::usageText().c_str());
        return 2;
    }
    if (cl.help) {
        std::fputs(zmx::usageText().c_str(), stdout);
        return 0;
    }
    if (cl.version) {
        std::printf("zmx7730-gui %s\n", ZMX_VERSION);
        return 0;
    }
    // Checked before the trace is opened or the recording made: neither may truncate the other.
    if (const std::string clash = zmx::outputsOverlapRecording(cl); !clash.empty()) {
        std::fprintf(stderr, "zmx7730-gui: %s\n", clash.c_str());
        return 2;
    }
    if (cl.listLinks) {
        for (const std::string& line : zmx::listLinks(zmx::realLinkProbes())) std::printf("%s\n", line.c_str());
        return 0;
    }

    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("zmx7730"));
    QCoreApplication::setApplicationName(QStringLiteral("zmx7730-gui"));
    zmx::LinkChoice choice = zmx::makeLink(cl.link, {cl.simBoards, cl.simId});
    if (!choice.backend) {
        std::fprintf(stderr, "zmx7730-gui: %s\n", choice.error.c_str());
        return 1;
    }
    zmx::ControllerLink link(std::move(choice.backend));
    if (!cl.tracePath.empty() && !link.openTrace(cl.tracePath)) {
        std::fprintf(stderr, "zmx7730-gui: cannot write the trace file %s\n", cl.tracePath.c_str());
        return 1;
    }

    int exitStatus = 0;
    zmx::Seams seams = zmx::defaultSeams();
    seams.messageBox = nullptr;  // the window shows real message boxes
    // A box on a platform nobody sees (offscreen, as tests and scripts run the window) would
    // wait forever for its OK: there the line on standard error is all.
    const QString platform = QGuiApplication::platformName();
    const bool headless = platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
    seams.hasTerminal = [headless] { return headless || ::isatty(STDERR_FILENO) == 1; };
    seams.exitProgram = [&](int status) {
        exitStatus = status;
        QCoreApplication::exit(status);
    };
    zmx::Form1 form(link, seams);
    form.setDumpPath(QString::fromStdString(cl.dumpPath));
    form.setReconnect(cl.reconnect);
    // Declared after the window, so it goes first: it listens to the window's session.
    zmx::ViewMenus views(form);
    zmx::RecordMenu record(form, views, QString::fromStdString(link.backend().name()));
    // Recording starts before the start-up, so the start-up's own reads are kept too.
    if (!cl.recordTarget.empty()) {
        QString error;
        if (!record.startRecording(QString::fromStdString(cl.recordTarget), &error)) {
            std::fprintf(stderr, "zmx7730-gui: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
    }

    installSignals();
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, [&] {
        char buf[16];
        ssize_t n = 0;
        while ((n = ::read(signalPipe[0], buf, sizeof buf)) > 0) {
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] == kDumpRequest) form.writeDump();
                else QCoreApplication::quit();
            }
        }
    });

    if (!form.Form_Load()) {
        form.reportLinkFailure(true);
        form.writeDump();
        return 1;
    }
    // The remembered size of the main window; it still starts at the top-left corner.
    const zmx::RememberedGeometry remembered = zmx::loadRememberedGeometry();
    if (remembered.mainWindowSize.isValid()) form.resize(remembered.mainWindowSize);
    views.setRememberedViewGeometry(remembered.stackView);
    form.show();
    if (cl.stackView) views.openStackView();
    const int rc = app.exec();
    zmx::saveRememberedGeometry(form, views.stackView());
    form.writeDump();
    return exitStatus != 0 ? exitStatus : rc;
}
