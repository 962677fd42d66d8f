// Under- and over-voltage threshold entry.

#include "shell/Form1.h"

namespace zmx {

int Form1::Text2_KeyPress(int index, int key) { return key; }
void Form1::Text2_GotFocus(int index) {}
void Form1::Text2_LostFocus(int index) {}
void Form1::Command2_Click(int index) {}
void Form1::ShowThresholds() {}

}  // namespace zmx
