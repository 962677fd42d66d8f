#include "link/ReadDeadline.h"

#include <algorithm>
#include <chrono>

namespace zmx {

DeadlineRead readWithDeadline(std::size_t maxBytes, int timeoutMs, const ReadSome& readSome,
                              const MonotonicMs& nowMs, int sliceMs) {
    DeadlineRead r;
    if (maxBytes == 0) return r;
    const int64_t deadline = nowMs() + std::max(timeoutMs, 0);
    sliceMs = std::max(sliceMs, 1);
    bool lastLook = false;
    while (r.bytes.size() < maxBytes) {
        const int64_t left = deadline - nowMs();
        if (left <= 0) {
            if (lastLook) break;
            lastLook = true;  // one look without waiting, then the read is over
        }
        const int wait = left <= 0 ? 0 : static_cast<int>(std::min<int64_t>(left, sliceMs));
        const std::optional<std::string> chunk = readSome(maxBytes - r.bytes.size(), wait);
        if (!chunk) {
            r.failed = true;
            break;
        }
        // A device that hands back more than asked for must not overfill the reply.
        r.bytes.append(*chunk, 0, maxBytes - r.bytes.size());
    }
    r.timedOut = !r.failed && r.bytes.size() < maxBytes;
    return r;
}

int64_t steadyNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace zmx
