// Flag register read (RDFLG).

#include "shell/Form1.h"

namespace zmx {

void Form1::ReadFlags() {}

}  // namespace zmx
