// Board count, addresses, board selection and the broadcast boxes.

#include "shell/Form1.h"

namespace zmx {

void Form1::Combo1_Click() {}
void Form1::Combo2_Click() {}
void Form1::Command4_Click(int index) {}
void Form1::Check5_Click(int index) {}
void Form1::Check8_Click(int index) {}
void Form1::showBoardBanners(int index) {}
void Form1::layoutBoardGrid() {}

}  // namespace zmx
