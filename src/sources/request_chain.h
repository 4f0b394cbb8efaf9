#pragma once

#include <chrono>
#include <functional>
#include <vector>

#include "sources/fetch_result.h"

namespace vantrel {

// One request of a source: its result, and why it gave no list.
struct Attempt {
    FetchResult result;
    RequestFailure failure;
};
using Request = std::function<Attempt()>;

// A documented request that has not answered in this long most likely will
// not soon: the services answer well within a second when they answer at
// all. The next request of the chain then starts beside it.
inline constexpr std::chrono::milliseconds HEDGE_DELAY{3000};

struct ChainTiming {
    std::chrono::milliseconds budget;  // for the whole chain
    std::chrono::milliseconds hedgeDelay = HEDGE_DELAY;
};

// The budget, and a hedge delay short enough that every request of a chain of
// `count` gets its turn within the budget.
ChainTiming TimingFor(std::chrono::milliseconds budget, std::size_t count);

// Runs a source's requests, the documented one first, each on a thread of its
// own, until one gives a list. The next starts as soon as the latest fails,
// or beside it once it has been silent for the hedge delay. The first list
// wins; the requests still running are cancelled and what they bring is
// dropped. The chain shares one budget: when it runs out, every request still
// running counts as timed out, and so do those still running when another wins. With no list, the
// documented request's result stands (its entries emptied), with every failure in request order.
// Waits let the window's events run (ProcessPendingMessages).
FetchResult FirstList(const std::vector<Request>& requests, ChainTiming timing);

}  // namespace vantrel
