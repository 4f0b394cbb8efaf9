#include "net/exchange_limit.h"

#include <algorithm>

namespace vantrel {
namespace {

ExchangeLimit& ThreadLimit() {
    thread_local ExchangeLimit limit;
    return limit;
}

}  // namespace

ScopedExchangeLimit::ScopedExchangeLimit(ExchangeLimit limit) : previous_(ThreadLimit()) {
    ThreadLimit() = limit;
}

ScopedExchangeLimit::~ScopedExchangeLimit() {
    ThreadLimit() = previous_;
}

const ExchangeLimit& CurrentExchangeLimit() {
    return ThreadLimit();
}

bool ExchangeCancelled() {
    const ExchangeLimit& limit = ThreadLimit();
    return limit.cancelled && limit.cancelled->load(std::memory_order_acquire);
}

bool ExchangeStopped() {
    return ExchangeCancelled() || std::chrono::steady_clock::now() >= ThreadLimit().deadline;
}

void MarkExchangeAnswered() {
    if (std::atomic<bool>* answered = ThreadLimit().answered)
        answered->store(true, std::memory_order_release);
}

void MarkExchangeStarted() {
    if (std::atomic<bool>* answered = ThreadLimit().answered)
        answered->store(false, std::memory_order_release);
}

long RemainingMilliseconds(long ms) {
    const ExchangeLimit& limit = ThreadLimit();
    if (limit.deadline == std::chrono::steady_clock::time_point::max()) return ms;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          limit.deadline - std::chrono::steady_clock::now())
                          .count();
    return std::clamp<long>(left, 1, ms);
}

}  // namespace vantrel
