#include "views/BoardHealth.h"

#include <algorithm>

namespace zmx {

void BoardHealth::addRoundTrip(int64_t us) {
    worstRoundTripUs = std::max(worstRoundTripUs, us);
    recentTrips_[static_cast<std::size_t>(tripNext_)] = us;
    tripNext_ = (tripNext_ + 1) % kRecentTrips;
    tripCount_ = std::min(tripCount_ + 1, kRecentTrips);
}

int64_t BoardHealth::medianRoundTripUs() const {
    if (tripCount_ == 0) return 0;
    std::array<int64_t, kRecentTrips> copy = recentTrips_;
    auto mid = copy.begin() + tripCount_ / 2;
    std::nth_element(copy.begin(), mid, copy.begin() + tripCount_);
    return *mid;
}

}  // namespace zmx
