#include "link/TtyTermios2.h"

// Only the kernel's own terminal types here: <termios.h> would redefine struct termios.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace zmx {

bool setArbitraryLineRate(int fd, uint32_t rate) {
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ospeed = rate;
    t.c_ispeed = rate;
    return ::ioctl(fd, TCSETS2, &t) == 0;
}

std::optional<uint32_t> lineRateInEffect(int fd) {
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0) return std::nullopt;
    return static_cast<uint32_t>(t.c_ospeed);
}

}  // namespace zmx
