#include "window/shell/widgets/WrappingButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace zmx {

void WrappingButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    // The style draws the face and the picture; the caption is drawn here, wrapped.
    option.text.clear();
    p.drawControl(QStyle::CE_PushButton, option);
    if (caption.isEmpty()) return;

    QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (isDown() || isChecked()) {
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    // Leading and trailing blanks only pad the caption; centring does that already.
    p.drawItemText(area.adjusted(-2, 0, 2, 0), Qt::AlignCenter | Qt::TextWordWrap, palette(), isEnabled(),
                   caption.trimmed(), QPalette::ButtonText);
}

}  // namespace zmx
