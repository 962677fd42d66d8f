#pragma once
// What the main window gains beside its own controls: a "View" menu that opens the
// stack view, and the history of the session's reads that the view shows live. The history
// listens to the session from the start, so the view shows what happened before it opened.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <memory>

class QAction;
class QMenu;

namespace zmx {

class Form1;
class StackHistory;
class StackViewWindow;

// Not a child of the window: the owner destroys it before the window, while the session
// it listens to still exists.
class ViewMenus : public QObject {
    Q_OBJECT

public:
    explicit ViewMenus(Form1& form);
    ~ViewMenus() override;

    StackHistory& liveHistory() { return *history_; }
    // Creates the stack view when needed, shows it live, and raises it.
    StackViewWindow* openStackView();
    StackViewWindow* stackView() const { return view_; }
    // Where the view stood last run; used at its first opening when it still fits a screen
    // and leaves the main window free, else the view goes beside the main window.
    void setRememberedViewGeometry(const QRect& rect) { rememberedView_ = rect; }

    QMenu* viewMenu() const { return viewMenu_; }
    QAction* stackViewAction() const { return stackViewAction_; }

protected:
    Form1& form_;
    void showLiveIn(StackViewWindow* view);
    void placeView(StackViewWindow* view) const;

private:
    std::unique_ptr<StackHistory> history_;
    QPointer<StackViewWindow> view_;  // a child window of the main window; closed with it
    QMenu* viewMenu_ = nullptr;
    QAction* stackViewAction_ = nullptr;
    QRect rememberedView_;
};

}  // namespace zmx
