#include "window/shell/widgets/TextFit.h"

#include <QFontMetricsF>
#include <QLabel>

namespace zmx {
namespace {

QFont withSpacing(QFont f, SpreadBy by, qreal spacing) {
    if (by == SpreadBy::Letters) f.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    else f.setWordSpacing(spacing);
    return f;
}

}  // namespace

void spreadOverWidth(QLabel* label, int width, SpreadBy by) {
    const QString text = label->text();
    if (text.isEmpty()) return;
    // Spacing is rounded to the font's raster, so the advance is not linear in it:
    // search the spacing whose measured advance is closest to the width from below.
    const QFont base = label->font();
    const qreal blank = QFontMetricsF(base).horizontalAdvance(QLatin1Char(' '));
    qreal low = -blank, high = 40.0;
    for (int step = 0; step < 30; ++step) {
        const qreal mid = (low + high) / 2;
        if (QFontMetricsF(withSpacing(base, by, mid)).horizontalAdvance(text) > width) high = mid;
        else low = mid;
    }
    label->setFont(withSpacing(base, by, low));
}

}  // namespace zmx
