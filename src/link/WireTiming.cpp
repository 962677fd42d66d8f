#include "link/WireTiming.h"

#include <algorithm>
#include <cmath>

namespace zmx {

namespace {
constexpr int kMarginMs = 20;  // controller processing and USB scheduling
}

double charMs(const WireTiming& t) { return t.lineRate == 0 ? 0.0 : 10.0 * 1000.0 / t.lineRate; }

int wireMs(const WireTiming& t, std::size_t chars) {
    return static_cast<int>(std::ceil(charMs(t) * static_cast<double>(chars)));
}

int replyWaitMs(const WireTiming& t, std::size_t sentChars, std::size_t replyChars) {
    return wireMs(t, sentChars + replyChars) + 2 * std::max(t.latencyMs, 0) + kMarginMs;
}

int quietGapMs(const WireTiming& t) { return std::max(kMinQuietMs, 2 * std::max(t.latencyMs, 0) + wireMs(t, 2)); }

}  // namespace zmx
