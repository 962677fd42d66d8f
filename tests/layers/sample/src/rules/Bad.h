// Sample for the layer check: not compiled. The rules use the state and the protocol only.
#include "model/StackState.h"
#include "protocol/Hex.h"
#include "session/StackSession.h"
#include "window/shell/QtColor.h"
