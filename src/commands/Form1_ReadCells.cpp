// Cell voltage reads (RDCV and its group variants).

#include "shell/Form1.h"

namespace zmx {

void Form1::ReadCells(int selector) {}

}  // namespace zmx
