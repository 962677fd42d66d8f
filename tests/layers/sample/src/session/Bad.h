// Sample for the layer check: not compiled. The session may use subsystem logic.
#include <QWidget>
#include "commands/StartPollLogic.h"
#include "display/CellStatus.h"
#include "shell/Seams.h"
