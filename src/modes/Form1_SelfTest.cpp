// Self tests with fixed patterns.

#include "shell/Form1.h"

namespace zmx {

void Form1::Command5_Click(int index) {}
void Form1::Option2_Click(int index) {}
void Form1::resetCellHexView() {}
void Form1::resetTempHexView() {}
void Form1::checkCellSelfTest() {}
void Form1::checkTempSelfTest() {}

}  // namespace zmx
