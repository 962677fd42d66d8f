// Flag and temperature display.

#include "shell/Form1.h"

namespace zmx {

void Form1::ShowFlags() {}
void Form1::ClearFlags() { for (auto* box : ui.Text7) box->clear(); }
void Form1::ShowTemps() {}
void Form1::ShowTempsHex() {}
void Form1::ShowTempIndicators() {}
void Form1::ClearTemps() {}
void Form1::SelectTempChannel(int index) {}

}  // namespace zmx
