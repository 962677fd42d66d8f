// Configuration register model: encoding, CDC mode table, pending colours.

#include "shell/Form1.h"

namespace zmx {

void Form1::ApplyCdc() {}
void Form1::LoadCfgrBoxes(int n) {}
void Form1::EncodeCfgr0() {}
void Form1::EncodeCfgr(int n) {}
void Form1::RefreshConfigView() {}
void Form1::ShowWritePending() {}

}  // namespace zmx
