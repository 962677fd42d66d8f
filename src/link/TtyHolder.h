#pragma once
// Who else has a serial device, for the message that refuses a second open: the process
// that holds the device's lock (/proc/locks), else the processes with it open (/proc/*/fd).

#include <string>

namespace zmx {

// "zmx7730-gui, process 4242" (several joined by "; "), or empty when no holder can be seen.
// `ownFd` is this process's own descriptor of the device, not counted as a holder (-1: none).
std::string describeTtyHolders(const std::string& devicePath, int ownFd = -1);

}  // namespace zmx
