// Temperature register read (RDTMP).

#include "shell/Form1.h"

namespace zmx {

void Form1::ReadTemps() {}

}  // namespace zmx
