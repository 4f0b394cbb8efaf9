#pragma once

#include <atomic>
#include <chrono>

namespace vantrel {

// What bounds every request the calling thread makes: none runs past the
// deadline, and each ends soon after `cancelled` turns true. A caller that
// runs several requests side by side shares one time budget among them this
// way, and stops the ones it no longer needs.
struct ExchangeLimit {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    const std::atomic<bool>* cancelled = nullptr;
    // Whether the thread's latest request has heard back from its server.
    std::atomic<bool>* answered = nullptr;
};

// Sets the calling thread's limit while it lives.
class ScopedExchangeLimit {
  public:
    explicit ScopedExchangeLimit(ExchangeLimit limit);
    ~ScopedExchangeLimit();
    ScopedExchangeLimit(const ScopedExchangeLimit&) = delete;
    ScopedExchangeLimit& operator=(const ScopedExchangeLimit&) = delete;

  private:
    ExchangeLimit previous_;
};

// The calling thread's limit: no deadline and no flag unless one is set.
const ExchangeLimit& CurrentExchangeLimit();

// The calling thread's requests must stop now: cancelled, or out of time.
bool ExchangeStopped();
// Cancelled only: nothing the request brings from now on is wanted.
bool ExchangeCancelled();

// The calling thread's latest request has heard back from its server (its
// first header line arrived); each new request starts unanswered.
void MarkExchangeAnswered();
void MarkExchangeStarted();

// Milliseconds left before the deadline, at least 1, capped at `ms`.
long RemainingMilliseconds(long ms);

}  // namespace vantrel
