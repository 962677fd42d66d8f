#include "views/widgets/ViewMenus.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include "session/StackSession.h"
#include "views/StackHistory.h"
#include "views/ViewPlacement.h"
#include "views/widgets/StackViewWindow.h"
#include "window/shell/Form1.h"
#include "window/shell/widgets/WindowDump.h"

namespace zmx {

ViewMenus::ViewMenus(Form1& form) : form_(form), history_(std::make_unique<StackHistory>()) {
    form_.session().addListener(history_.get());
    viewMenu_ = form_.menuBar()->addMenu(QStringLiteral("&View"));
    viewMenu_->setObjectName(QStringLiteral("mnuView"));
    viewMenu_->setProperty(kAddedControlProperty, true);
    stackViewAction_ = viewMenu_->addAction(QStringLiteral("&Stack view..."));
    stackViewAction_->setObjectName(QStringLiteral("mnuStackView"));
    stackViewAction_->setProperty(kAddedControlProperty, true);
    stackViewAction_->setToolTip(QStringLiteral("Trends, heatmap and communication health of every board"));
    connect(stackViewAction_, &QAction::triggered, this, [this] { openStackView(); });
}

ViewMenus::~ViewMenus() {
    // The view shows the history kept here: it goes first.
    delete view_.data();
    form_.session().removeListener(history_.get());
}

void ViewMenus::showLiveIn(StackViewWindow* view) {
    StackViewWindow::LiveSource live;
    live.history = history_.get();
    live.nowMs = [this] { return form_.session().now().toMSecsSinceEpoch(); };
    live.selectedBoard = [this] { return static_cast<int>(form_.st.selectedBoard); };
    view->showLive(std::move(live));
}

void ViewMenus::placeView(StackViewWindow* view) const {
    const QRect mainRect = form_.frameGeometry();
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens()) screens << s->availableGeometry();
    if (rememberedPlaceFits(rememberedView_, mainRect, screens)) {
        view->setGeometry(rememberedView_);
        return;
    }
    const QScreen* screen = form_.screen();
    if (!screen) return;
    // A remembered size is kept even where its place is not.
    const QSize size = rememberedView_.isValid() ? rememberedView_.size() : view->size();
    const QRect placed = placeBeside(mainRect, size, screen->availableGeometry());
    view->resize(placed.size());
    view->move(placed.topLeft());
}

StackViewWindow* ViewMenus::openStackView() {
    if (!view_) {
        view_ = new StackViewWindow(&form_);
        placeView(view_);
        connect(view_, &StackViewWindow::liveRequested, this, [this] { showLiveIn(view_); });
        showLiveIn(view_);
    }
    view_->show();
    view_->raise();
    view_->activateWindow();
    view_->refresh(true);
    return view_;
}

}  // namespace zmx
