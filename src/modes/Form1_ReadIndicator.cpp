// Read indicators: the button of the read that is due.

#include "shell/Form1.h"

namespace zmx {

void Form1::armReadIndicator(ReadIndicator which) {}
void Form1::markReadIndicator(ReadIndicator which) {}
void Form1::unmarkReadIndicator(ReadIndicator which) {}
void Form1::refreshAfterClick(ReadIndicator which) {}
void Form1::refreshForBoard(ReadIndicator which) {}
void Form1::resetReadIndicator(ReadIndicator which) {}
void Form1::ARM_BLINK_RDCV_7730addr() {}

}  // namespace zmx
