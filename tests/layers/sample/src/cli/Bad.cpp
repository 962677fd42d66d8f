// Sample for the layer check: not compiled.
#include "cli/CommandLine.h"
#include "session/StackSession.h"
#include "views/StackHistory.h"
#include "window/shell/Form1.h"
