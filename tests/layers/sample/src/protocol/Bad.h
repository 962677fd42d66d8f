// Sample for the layer check: not compiled.
#include <QtWidgets>
#include <QtCore>
#include "protocol/Hex.h"
