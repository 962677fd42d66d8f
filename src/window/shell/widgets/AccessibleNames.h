#pragma once
// Accessible names for the controls of the window that show no caption (arrow buttons,
// lamps, value boxes, pictures): a screen reader says the name ("CDC increment") and then
// the description, which is the control's tool tip where it has one.

class QWidget;

namespace zmx {

// Runs once over every inventory control under root, after the inventory is built.
void nameCaptionlessControls(QWidget* root);

// The caption a control shows of its own ("" for none): button text, label text, frame title.
bool showsCaption(const QWidget* w);

}  // namespace zmx
