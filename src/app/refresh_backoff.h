#pragma once

#include <chrono>

#include "app/app_state.h"

namespace vantrel {

// How long automatic refreshes of a source hold off after failed fetches:
// 30 s after the first, doubling after each further one up to 10 minutes,
// and never less than a service's own Retry-After. A clicked source always
// fetches; a fetch that gives a list returns to the user's period.
class RefreshBackoff {
  public:
    static constexpr std::chrono::seconds kFirst{30};
    static constexpr std::chrono::seconds kLongest{600};

    // `jitter` in [0, 1) spreads the wait by up to a tenth either way, so
    // that many clients a service turned away do not all come back at once.
    void Record(bool failed, int retryAfterSeconds, TimePoint now, double jitter);
    // Whether an automatic refresh may fetch now.
    bool Allows(TimePoint now) const { return now >= notBefore_; }
    TimePoint NotBefore() const { return notBefore_; }

  private:
    int failures_ = 0;
    TimePoint notBefore_{};
};

}  // namespace vantrel
