#include "app/refresh_backoff.h"

#include <algorithm>

namespace vantrel {

void RefreshBackoff::Record(bool failed, int retryAfterSeconds, TimePoint now, double jitter) {
    if (!failed) {
        failures_ = 0;
        notBefore_ = TimePoint{};
        return;
    }
    ++failures_;
    const int doublings = std::min(failures_ - 1, 5);  // 30 s * 2^5 passes the longest wait
    const auto wait = std::min<std::chrono::seconds>(kFirst * (1 << doublings), kLongest);
    const auto spread = std::chrono::duration_cast<std::chrono::milliseconds>(
        wait * (0.9 + 0.2 * std::clamp(jitter, 0.0, 1.0)));
    const auto asked = std::chrono::seconds(std::max(retryAfterSeconds, 0));
    notBefore_ = now + std::max<std::chrono::milliseconds>(spread, asked);
}

}  // namespace vantrel
