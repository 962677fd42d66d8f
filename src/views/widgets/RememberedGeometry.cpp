#include "views/widgets/RememberedGeometry.h"

#include <QSettings>
#include <QWidget>

namespace zmx {

namespace {
constexpr char kMainWindowSizeKey[] = "geometry/mainWindowSize";
constexpr char kStackViewKey[] = "geometry/stackView";
}  // namespace

RememberedGeometry loadRememberedGeometry() {
    const QSettings settings;
    RememberedGeometry g;
    g.mainWindowSize = settings.value(kMainWindowSizeKey).toSize();
    g.stackView = settings.value(kStackViewKey).toRect();
    return g;
}

void saveRememberedGeometry(const QWidget& mainWindow, const QWidget* view) {
    QSettings settings;
    settings.setValue(kMainWindowSizeKey, mainWindow.size());
    if (view) settings.setValue(kStackViewKey, view->geometry());
}

}  // namespace zmx
