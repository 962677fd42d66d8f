// Sample for the layer check: not compiled.
#include <QDateTime>
#include "../shell/Form1.h"
