// Write configuration: WRCFG of the composed image.

#include "shell/Form1.h"

namespace zmx {

void Form1::WriteConfig() {}

}  // namespace zmx
