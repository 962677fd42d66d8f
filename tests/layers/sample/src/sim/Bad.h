// Sample for the layer check: not compiled.
#include "window/config/EditorPaint.h"
#include "rules/ReadVerdicts.h"
#include "sim/SimStack.h"
