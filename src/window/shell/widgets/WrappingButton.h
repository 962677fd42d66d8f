#pragma once
// A push button whose caption wraps onto further lines when it is wider than the button,
// as long captions such as " START CONTINUOUS   READ CELLS" need in a narrow column.
// It adds no signals or properties (no Q_OBJECT), so to every other unit it is an
// ordinary QPushButton, class name included.

#include <QPushButton>

namespace zmx {

class WrappingButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace zmx
