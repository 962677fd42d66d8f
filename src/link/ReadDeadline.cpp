#include "link/ReadDeadline.h"

#include <algorithm>
#include <chrono>

namespace zmx {

DeadlineRead readWithDeadline(std::size_t maxBytes, int timeoutMs, const ReadSome& readSome, const MonotonicMs& nowMs,
                              int sliceMs) {
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

DeadlineRead pollWithDeadline(std::size_t maxBytes, int timeoutMs, const ReadNow& readNow, const MonotonicMs& nowMs,
                              const SleepMs& sleepMs) {
    auto readSome = [&](std::size_t want, int waitMs) -> std::optional<std::string> {
        const int64_t until = nowMs() + waitMs;
        for (;;) {
            std::optional<std::string> got = readNow(want);
            if (!got || !got->empty()) return got;
            const int64_t left = until - nowMs();
            if (left <= 0) return got;
            sleepMs(static_cast<int>(std::min<int64_t>(left, kPollNapMs)));
        }
    };
    return readWithDeadline(maxBytes, timeoutMs, readSome, nowMs);
}

int64_t steadyNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace zmx
