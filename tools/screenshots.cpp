// zmx7730-screenshots DIR: renders the main window in continuous mode over ten simulated
// boards and the stack view's three tabs into DIR as PNG files, for the README. A few
// scenes make the pictures tell something: cell 7 of board 6 drifts over the over-voltage
// threshold, board 4 has a noisy link, and time runs on a clock of its own, so twenty
// minutes of trend take a few seconds.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>
#include <cstdio>

#include "link/ControllerLink.h"
#include "link/SimLink.h"
#include "sim/SimStack.h"
#include "views/widgets/RecordMenu.h"
#include "views/widgets/StackViewWindow.h"
#include "views/widgets/TrendPanel.h"
#include "views/widgets/ViewMenus.h"
#include "window/shell/Form1.h"

namespace {

constexpr int kBoards = 10;
constexpr int kTicksPerPass = 3 * kBoards;
constexpr int kPasses = 400;  // 400 passes of 3 s: 20 minutes

bool save(QWidget* w, const QString& path) {
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

void enterThreshold(zmx::Form1& w, int box, const QString& text) {
    w.Text2_GotFocus(box);
    w.ui.Text2[box]->setText(text);
    w.Text2_LostFocus(box);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs"));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "zmx7730-screenshots: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }

    zmx::sim::SimOptions o;
    o.boards = kBoards;
    o.noise = true;
    auto stack = std::make_shared<zmx::sim::SimStack>(o);
    zmx::ControllerLink link(std::make_unique<zmx::SimLink>(stack));
    QDateTime now = QDateTime::currentDateTime();
    zmx::Seams seams = zmx::defaultSeams();
    seams.messageBox = [](const QString&) {};
    seams.exitProgram = [](int) {};
    seams.now = [&] { return now; };
    zmx::Form1 form(link, seams);
    zmx::ViewMenus views(form);
    zmx::RecordMenu record(form, views, QStringLiteral("sim"));
    if (!form.Form_Load()) {
        std::fprintf(stderr, "zmx7730-screenshots: the simulated controller was not identified\n");
        return 1;
    }
    form.Timer1.stop();
    form.show();

    form.ui.Combo1->setCurrentIndex(kBoards - 1);
    form.Combo1_Click();
    form.Command0_Click(1);
    enterThreshold(form, 1, QStringLiteral("4.104"));  // VOV first: VUV must stay below it
    enterThreshold(form, 0, QStringLiteral("3.000"));
    form.Command1_Click(5);
    for (int b = 0; b < kBoards; ++b) {
        form.Command4_Click(b);
        form.Command1_Click(6);
    }
    form.Command4_Click(5);  // board 6 selected: its trend is the one shown
    form.Command1_Click(10);
    form.Timer1.stop();  // this program ticks

    for (int pass = 0; pass < kPasses; ++pass) {
        // Cell 7 of board 6 charges from 3.95 V past VOV; cell 2 of board 9 sags under VUV.
        stack->setCellVolts(5, 7, 3.95 + 0.25 * pass / kPasses);
        stack->setCellVolts(8, 2, 3.30 - 0.45 * pass / kPasses);
        for (int t = 0; t < kTicksPerPass; ++t) {
            if (form.st.scanBoard == 3 && pass % 6 == 0) stack->corruptNextReplies(1);
            now = now.addMSecs(100);
            form.Timer1_Timer();
        }
    }
    QApplication::processEvents();

    zmx::StackViewWindow* view = views.openStackView();
    view->resize(1000, 600);
    view->setRecordStatus(QStringLiteral("Not recording"));
    QApplication::processEvents();
    bool ok = save(&form, out.filePath(QStringLiteral("main-window.png")));
    static const char* const kTabs[3] = {"stack-view-trend.png", "stack-view-heatmap.png", "stack-view-health.png"};
    for (int tab = 0; tab < 3; ++tab) {
        view->tabs()->setCurrentIndex(tab);
        view->refresh(true);
        QApplication::processEvents();
        ok = save(view, out.filePath(QLatin1String(kTabs[tab]))) && ok;
    }
    form.Command1_Click(10);
    return ok ? 0 : 1;
}
