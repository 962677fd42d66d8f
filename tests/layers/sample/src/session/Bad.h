// Sample for the layer check: not compiled. The session may use the rules, nothing of the window.
#include <QWidget>
#include "rules/StartPollLogic.h"
#include "rules/CellStatus.h"
#include "window/shell/Seams.h"
#include "views/widgets/TrendPanel.h"
