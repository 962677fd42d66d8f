// Status rules and sequences shared by the panel buttons.

#include "shell/Form1.h"

namespace zmx {

void Form1::deriveStatusFromFlags() {}
void Form1::paintAllStatus() {}
void Form1::applyThermalStatus() {}

}  // namespace zmx
