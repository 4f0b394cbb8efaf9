#include "sources/request_chain.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "net/exchange_limit.h"
#include "net/pending_messages.h"

// Under the address sanitizer malloc is its own, and glibc's trim would
// walk arenas glibc never set up.
#if defined(__SANITIZE_ADDRESS__)
#define VANTREL_FOREIGN_MALLOC 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VANTREL_FOREIGN_MALLOC 1
#endif
#endif

namespace vantrel {
namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting chain looks at its requests and lets the window run.
constexpr std::chrono::milliseconds kPollInterval{10};
// The requests' own time-outs end their exchanges at the budget's end. A
// silent one is given this long more to return, then counts as timed out;
// one whose server answered is still reading what came (a body cut by the
// deadline can be an answer), and is waited for up to the second bound.
constexpr std::chrono::milliseconds kGrace{500};
constexpr std::chrono::seconds kReadingGrace{10};

// What one running request shares with the chain that started it.
struct Slot {
    std::atomic<bool> cancelled{false};
    std::atomic<bool> answered{false};  // its server has begun to answer
    std::atomic<bool> done{false};
    Attempt attempt;
};

struct Running {
    std::shared_ptr<Slot> slot;
    std::thread thread;
    int request = 0;
};

// Requests no chain waits for any more: cancelled, they end within about a
// second. Each new one joins those that have ended; the rest are joined at exit.
class Abandoned {
  public:
    ~Abandoned() {
        for (Running& r : running_)
            r.thread.join();
    }
    void Add(Running running) {
        running.slot->cancelled.store(true, std::memory_order_release);
        std::lock_guard lock(mutex_);
        std::erase_if(running_, [](Running& r) {
            if (!r.slot->done.load(std::memory_order_acquire)) return false;
            r.thread.join();
            return true;
        });
        running_.push_back(std::move(running));
    }

  private:
    std::mutex mutex_;
    std::vector<Running> running_;
};

void Abandon(Running& running) {
    static Abandoned abandoned;
    abandoned.Add(std::move(running));
}

Running Start(const Request& request, int index, Clock::time_point deadline) {
    Running running;
    running.slot = std::make_shared<Slot>();
    running.request = index;
    running.thread = std::thread([request, slot = running.slot, deadline] {
        ScopedExchangeLimit limit({deadline, &slot->cancelled, &slot->answered});
        slot->attempt = request();
#if defined(__GLIBC__) && !defined(VANTREL_FOREIGN_MALLOC)
        // Each thread allocates from an arena of its own, which keeps the
        // pages of a large body it freed; give them back.
        malloc_trim(0);
#endif
        slot->done.store(true, std::memory_order_release);
    });
    return running;
}

// The chains waiting on this thread, innermost last. A chain can only start
// inside an older one's wait (a click handled while it lets events run), and
// the newer fetch wins: the older chains' requests stop at once rather than
// keep reading answers nobody will use.
class WaitingChains {
  public:
    explicit WaitingChains(std::vector<Running>& running) : running_(running) {
        for (WaitingChains* older : Chains()) {
            older->superseded_ = true;
            for (Running& r : older->running_)
                r.slot->cancelled.store(true, std::memory_order_release);
        }
        Chains().push_back(this);
    }
    ~WaitingChains() { Chains().pop_back(); }
    WaitingChains(const WaitingChains&) = delete;
    WaitingChains& operator=(const WaitingChains&) = delete;
    // A newer chain began while this one waited.
    bool Superseded() const { return superseded_; }

  private:
    static std::vector<WaitingChains*>& Chains() {
        thread_local std::vector<WaitingChains*> chains;
        return chains;
    }
    std::vector<Running>& running_;
    bool superseded_ = false;
};

}  // namespace

ChainTiming TimingFor(std::chrono::milliseconds budget, std::size_t count) {
    const auto share = budget / static_cast<long>(std::max<std::size_t>(count, 1));
    return {budget, std::min(HEDGE_DELAY, share)};
}

FetchResult FirstList(const std::vector<Request>& requests, ChainTiming timing) {
    const Clock::time_point started = Clock::now();
    const Clock::time_point deadline = started + timing.budget;
    std::vector<Running> running;
    const WaitingChains waiting(running);
    std::vector<RequestFailure> failures;
    FetchResult documented;
    std::size_t next = 0;
    Clock::time_point nextAt = started;

    const auto finish = [&](int request, Attempt& attempt) {
        attempt.failure.request = request;
        failures.push_back(attempt.failure);
        if (request == 0) documented = std::move(attempt.result);
        nextAt = Clock::now();  // a failed request hands on at once
    };
    const auto byRequest = [](const RequestFailure& a, const RequestFailure& b) {
        return a.request < b.request;
    };

    while (true) {
        const Clock::time_point now = Clock::now();
        // A request whose server has begun to answer is waited for, not
        // overtaken: only a silent one is.
        const bool silent =
            running.empty() || !running.back().slot->answered.load(std::memory_order_acquire);
        if (next < requests.size() && now < deadline && !waiting.Superseded() &&
            (running.empty() || (now >= nextAt && silent))) {
            running.push_back(Start(requests[next], static_cast<int>(next), deadline));
            ++next;
            nextAt = now + timing.hedgeDelay;
        }
        for (std::size_t i = 0; i < running.size();) {
            Running& r = running[i];
            if (!r.slot->done.load(std::memory_order_acquire)) {
                ++i;
                continue;
            }
            r.thread.join();
            Attempt attempt = std::move(r.slot->attempt);
            const int request = r.request;
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
            if (attempt.failure.failure == FetchFailure::kNone) {
                // Those still running were slower than the winner: timed out.
                for (Running& loser : running) {
                    Attempt silent;
                    silent.failure.failure = FetchFailure::kTimeout;
                    finish(loser.request, silent);
                    Abandon(loser);
                }
                attempt.result.answeredBy = request;
                std::sort(failures.begin(), failures.end(), byRequest);
                attempt.result.failures = std::move(failures);
                return attempt.result;
            }
            finish(request, attempt);
        }
        const bool exhausted = next >= requests.size() && running.empty();
        if (exhausted) break;
        const Clock::time_point after = Clock::now();
        const bool reading = std::any_of(running.begin(), running.end(), [](const Running& r) {
            return r.slot->answered.load(std::memory_order_acquire);
        });
        if (after >= deadline + (reading ? kReadingGrace : kGrace)) break;
        ProcessPendingMessages();
        std::this_thread::sleep_for(kPollInterval);
    }

    // Out of time: whatever still runs has timed out.
    for (Running& r : running) {
        Attempt silent;
        silent.failure.failure = FetchFailure::kTimeout;
        finish(r.request, silent);
        Abandon(r);
    }
    std::sort(failures.begin(), failures.end(), byRequest);
    documented.entries.clear();
    documented.answeredBy = -1;
    documented.failures = std::move(failures);
    return documented;
}

}  // namespace vantrel
