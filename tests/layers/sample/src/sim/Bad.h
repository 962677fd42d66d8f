// Sample for the layer check: not compiled.
#include "commands/ReadVerdicts.h"
#include "sim/SimStack.h"
