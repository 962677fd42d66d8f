// Configuration bit boxes, CDC stepping and the custom/global scope.

#include "shell/Form1.h"

namespace zmx {

void Form1::Check0_Click(int index) {}
void Form1::Check1_Click(int index) {}
void Form1::Check2_Click(int index) {}
void Form1::Check3_Click(int index) {}
void Form1::Command0_Click(int index) {}
void Form1::Option1_Click(int index) {}
void Form1::Option3_Click(int index) {}
void Form1::CopyImageToAll() {}
void Form1::ApplyScope() {}
void Form1::ApplyCellMode() {}
void Form1::connectConfigHandlers() {}

}  // namespace zmx
