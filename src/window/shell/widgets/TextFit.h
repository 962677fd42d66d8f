#pragma once
// Fitting a one-line column header over the columns it names.

class QLabel;

namespace zmx {

enum class SpreadBy {
    Letters,  // tracking: every character moves apart or together
    Blanks,   // only the blanks widen or narrow; the names keep their shapes
};

// Adjusts the spacing of the label's font so that its text spans the given width.
void spreadOverWidth(QLabel* label, int width, SpreadBy by);

}  // namespace zmx
