#include "window/shell/widgets/AccessibleNames.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QWidget>

#include "window/shell/widgets/Controls.h"

namespace zmx {

bool showsCaption(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return !b->text().trimmed().isEmpty();
    if (auto* l = qobject_cast<const QLabel*>(w)) return !l->text().trimmed().isEmpty();
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return !g->title().trimmed().isEmpty();
    return false;
}

void nameCaptionlessControls(QWidget* root) {
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->property(kInventoryProperty).isValid() || qobject_cast<QMenu*>(w)) continue;
        if (showsCaption(w) || !w->accessibleName().isEmpty()) continue;
        // The short text the builder gave as a description becomes the name; a tool tip,
        // the longer explanation, becomes the description.
        const QString name = w->accessibleDescription().isEmpty() ? w->toolTip() : w->accessibleDescription();
        if (name.isEmpty()) continue;
        w->setAccessibleName(name);
        if (!w->toolTip().isEmpty()) w->setAccessibleDescription(w->toolTip());
    }
}

}  // namespace zmx
