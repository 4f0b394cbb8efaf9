#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "net/exchange_limit.h"
#include "net/pending_messages.h"
#include "sources/request_chain.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A request that gives `count` entries after `delay`, or fails as `failure`.
// It waits the way the transport does: it ends early once the chain stops it,
// and says so.
Request After(std::chrono::milliseconds delay, FetchFailure failure, int count,
              std::atomic<bool>* stopped = nullptr) {
    return [=] {
        const auto until = Clock::now() + delay;
        while (Clock::now() < until) {
            if (ExchangeStopped()) {
                if (stopped) stopped->store(true);
                Attempt cut;
                cut.failure.failure = FetchFailure::kTimeout;
                return cut;
            }
            std::this_thread::sleep_for(2ms);
        }
        Attempt attempt;
        attempt.failure.failure = failure;
        attempt.result.status = FetchStatus::kParsed;
        if (failure == FetchFailure::kNone) attempt.result.entries.resize(count);
        return attempt;
    };
}

Request Silent(std::atomic<bool>* stopped = nullptr) {
    return After(1h, FetchFailure::kNone, 0, stopped);
}

std::chrono::milliseconds Since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

TEST(RequestChain, ASilentRequestIsOvertakenAfterTheHedgeDelayAndCancelled) {
    // Static: an abandoned request that ends late must not write into a
    // finished test's stack.
    static std::atomic<bool> stopped{false};
    const auto start = Clock::now();
    const FetchResult result =
        FirstList({Silent(&stopped), After(0ms, FetchFailure::kNone, 7)}, {20s, 200ms});
    const auto took = Since(start);
    EXPECT_EQ(result.answeredBy, 1);
    EXPECT_EQ(result.entries.size(), 7u);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].request, 0);
    EXPECT_EQ(result.failures[0].failure, FetchFailure::kTimeout);
    EXPECT_GE(took, 200ms);
    EXPECT_LT(took, 10s);  // nowhere near the budget
    // The loser stops by itself soon after; nothing it brings is read.
    for (int i = 0; i < 500 && !stopped; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(stopped);
}

// A request deaf to the stop, as one stuck in a name look-up is.
Request Stubborn(std::chrono::milliseconds delay) {
    return [=] {
        std::this_thread::sleep_for(delay);
        Attempt late;
        late.failure.failure = FetchFailure::kTimeout;
        return late;
    };
}

// Abandoned requests that have not ended are left to end by themselves: the
// next chain never waits for the last one's.
TEST(RequestChain, AnAbandonedRequestStillRunningHoldsUpNoLaterChain) {
    for (int chain = 0; chain < 2; ++chain) {
        const auto start = Clock::now();
        const FetchResult result =
            FirstList({Stubborn(5s), After(0ms, FetchFailure::kNone, 3)}, {20s, 100ms});
        EXPECT_EQ(result.answeredBy, 1) << chain;
        EXPECT_LT(Since(start), 2500ms) << chain;
    }
}

TEST(RequestChain, ARequestWhoseServerHasBegunToAnswerIsNotOvertaken) {
    std::atomic<bool> secondStarted{false};
    const Request answering = [] {
        MarkExchangeAnswered();  // headers in, a long body on its way
        std::this_thread::sleep_for(600ms);
        Attempt attempt;
        attempt.result.entries.resize(4);
        return attempt;
    };
    const Request second = [&] {
        secondStarted = true;
        return After(0ms, FetchFailure::kNone, 9)();
    };
    const FetchResult result = FirstList({answering, second}, {20s, 100ms});
    EXPECT_EQ(result.answeredBy, 0);
    EXPECT_EQ(result.entries.size(), 4u);
    EXPECT_FALSE(secondStarted);
}

TEST(RequestChain, AFailureHandsOnAtOnceAndFailuresStayInRequestOrder) {
    const auto start = Clock::now();
    const FetchResult result =
        FirstList({After(0ms, FetchFailure::kHttpStatus, 0), After(0ms, FetchFailure::kTooFew, 3),
                   After(0ms, FetchFailure::kNone, 50)},
                  {20s, 5s});
    EXPECT_LT(Since(start), 5s);  // no hedge delay was waited
    EXPECT_EQ(result.answeredBy, 2);
    EXPECT_EQ(result.entries.size(), 50u);
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_EQ(result.failures[0].failure, FetchFailure::kHttpStatus);
    EXPECT_EQ(result.failures[1].request, 1);
    EXPECT_EQ(result.failures[1].failure, FetchFailure::kTooFew);
}

TEST(RequestChain, ALateAnswerFromTheDocumentedRequestLosesToTheFallback) {
    // The documented request would answer with its own list, but only after
    // the fallback already gave one: the fallback's rows stand.
    const FetchResult result =
        FirstList({After(1500ms, FetchFailure::kNone, 11), After(0ms, FetchFailure::kNone, 22)},
                  {20s, 100ms});
    EXPECT_EQ(result.answeredBy, 1);
    EXPECT_EQ(result.entries.size(), 22u);
}

TEST(RequestChain, TheWholeChainSharesOneBudget) {
    const auto start = Clock::now();
    const FetchResult result = FirstList({Silent(), Silent(), Silent()}, TimingFor(900ms, 3));
    const auto took = Since(start);
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 900ms + 5s);  // one budget, not one per request
    EXPECT_EQ(result.answeredBy, -1);
    EXPECT_TRUE(result.entries.empty());
    ASSERT_EQ(result.failures.size(), 3u);  // every request had its turn
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(result.failures[i].request, i);
        EXPECT_EQ(result.failures[i].failure, FetchFailure::kTimeout);
    }
}

TEST(RequestChain, WaitsLetTheWindowRunOnlyOnItsOwnThread) {
    std::atomic<int> onOwner{0}, elsewhere{0};
    const std::thread::id owner = std::this_thread::get_id();
    SetPendingMessagesHook([&] { (std::this_thread::get_id() == owner ? onOwner : elsewhere)++; });
    // The request itself waits the way the transport does, from its own thread.
    const Request pumping = [] {
        for (int i = 0; i < 20; ++i) {
            ProcessPendingMessages();
            std::this_thread::sleep_for(5ms);
        }
        Attempt attempt;
        attempt.result.entries.resize(1);
        return attempt;
    };
    const FetchResult result = FirstList({pumping}, {20s, 3s});
    SetPendingMessagesHook({});
    EXPECT_EQ(result.answeredBy, 0);
    EXPECT_GT(onOwner.load(), 0);
    EXPECT_EQ(elsewhere.load(), 0);
}

}  // namespace
}  // namespace vantrel
