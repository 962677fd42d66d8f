#pragma once
// The read-with-time-out that every hardware backend needs: keep taking what has arrived
// until the reply is complete or the deadline passes. The device access and the clock are
// passed in, so the loop can be tested with devices that answer late, in pieces or never.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zmx {

// Takes up to `want` bytes from the device, waiting at most `waitMs` for the first of them
// (0: do not wait). An empty string means nothing came in that time; nullopt means the
// device failed and the read is over.
using ReadSome = std::function<std::optional<std::string>(std::size_t want, int waitMs)>;

// Milliseconds of a monotonic clock.
using MonotonicMs = std::function<int64_t()>;

// Longest single wait, so a slow device is asked again often enough.
inline constexpr int kReadSliceMs = 20;

struct DeadlineRead {
    std::string bytes;
    bool failed = false;    // the device reported an error before the reply was complete
    bool timedOut = false;  // the deadline passed with fewer bytes than asked for
};

// Reads up to maxBytes within timeoutMs of the call. Never waits past the deadline: each
// wait is the smaller of the slice and the time left. One last look without waiting is
// taken at the deadline, so bytes that are already there are never left behind.
DeadlineRead readWithDeadline(std::size_t maxBytes, int timeoutMs, const ReadSome& readSome, const MonotonicMs& nowMs,
                              int sliceMs = kReadSliceMs);

// A device whose read returns at once with what is there (nullopt: the device failed).
using ReadNow = std::function<std::optional<std::string>(std::size_t want)>;
using SleepMs = std::function<void(int ms)>;

// Longest nap between two looks at such a device: the reply's last piece is taken within a
// millisecond of its arrival.
inline constexpr int kPollNapMs = 1;

// readWithDeadline for a device that never waits by itself: looks, and naps while nothing
// has come, until the reply is complete or the deadline passes.
DeadlineRead pollWithDeadline(std::size_t maxBytes, int timeoutMs, const ReadNow& readNow, const MonotonicMs& nowMs,
                              const SleepMs& sleepMs);

// The steady clock in milliseconds.
int64_t steadyNowMs();

}  // namespace zmx
