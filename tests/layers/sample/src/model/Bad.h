// Sample for the layer check: not compiled.
#include <QDateTime>
#include "../window/shell/Form1.h"
