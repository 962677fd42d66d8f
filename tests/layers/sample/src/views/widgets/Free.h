// Sample for the layer check: not compiled. The views' windows are window code, not checked.
#include <QWidget>
#include "window/shell/Form1.h"
