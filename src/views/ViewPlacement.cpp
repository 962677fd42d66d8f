#include "views/ViewPlacement.h"

#include <algorithm>
#include <array>

namespace zmx {

namespace {

// Moves r into the screen without changing its size (r is no larger than the screen).
QRect keptOnScreen(QRect r, const QRect& screen) {
    r.moveLeft(std::clamp(r.left(), screen.left(), screen.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), screen.top(), screen.bottom() - r.height() + 1));
    return r;
}

qint64 area(const QRect& r) { return r.isEmpty() ? 0 : qint64(r.width()) * r.height(); }

}  // namespace

QRect placeBeside(const QRect& mainWindow, const QSize& view, const QRect& screen) {
    const QSize size = view.boundedTo(screen.size());
    // In order of preference; each is pushed onto the screen, which may make it overlap.
    const std::array<QRect, 4> candidates = {
        QRect(QPoint(mainWindow.right() + 1, mainWindow.top()), size),
        QRect(QPoint(mainWindow.left(), mainWindow.bottom() + 1), size),
        QRect(QPoint(mainWindow.left() - size.width(), mainWindow.top()), size),
        QRect(QPoint(mainWindow.left(), mainWindow.top() - size.height()), size),
    };
    QRect best;
    qint64 bestOverlap = -1;
    for (const QRect& c : candidates) {
        const QRect placed = keptOnScreen(c, screen);
        const qint64 overlap = area(placed.intersected(mainWindow));
        if (bestOverlap < 0 || overlap < bestOverlap) {
            best = placed;
            bestOverlap = overlap;
        }
        if (overlap == 0) break;
    }
    return best;
}

bool rememberedPlaceFits(const QRect& remembered, const QRect& mainWindow, const QList<QRect>& screens) {
    if (!remembered.isValid() || remembered.intersects(mainWindow)) return false;
    return std::any_of(screens.begin(), screens.end(), [&](const QRect& s) { return s.contains(remembered); });
}

}  // namespace zmx
