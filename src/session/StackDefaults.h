#pragma once
// The pieces of the state a new session (and a new window) starts from, shared by the
// stack session's start-up and the window's own start-up, which paints in between.

#include "model/StackState.h"

namespace zmx {

// Addresses 0x80 upward for the ten slots; every command addressed except WRCFG, which
// goes to the whole stack.
void setDefaultAddressing(StackState& st);

// Every received byte, received and computed PEC, the discharge and mask bits and the
// cell status codes back to zero: nothing has been read yet.
void clearReceivedData(StackState& st);

}  // namespace zmx
