#include "net/pending_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace vantrel {
namespace {

// A hook whose every turn starts a nested wait, as a handler that fetches
// from inside a fetch's wait does: each level gets its turn, down to the bound.
struct NestingHook {
    int calls = 0, depth = 0, deepest = 0;
    int throwAtDepth = 0;
    void operator()() {
        ++calls;
        ++depth;
        deepest = std::max(deepest, depth);
        struct Leave {
            int& depth;
            ~Leave() { --depth; }
        } leave{depth};
        if (depth == throwAtDepth) throw std::runtime_error("handler failed");
        ProcessPendingMessages();
    }
};

TEST(PendingMessages, NestedWaitsRunTheHookDownToTheBound) {
    NestingHook hook;
    SetPendingMessagesHook([&hook] { hook(); });
    ProcessPendingMessages();
    EXPECT_EQ(hook.deepest, MAX_PENDING_MESSAGES_DEPTH);
    EXPECT_EQ(hook.calls, MAX_PENDING_MESSAGES_DEPTH);

    auto old = SetPendingMessagesHook({});
    EXPECT_TRUE(static_cast<bool>(old));
    ProcessPendingMessages();
    EXPECT_EQ(hook.calls, MAX_PENDING_MESSAGES_DEPTH);
}

TEST(PendingMessages, AThrowingHookLeavesEveryLevelUsable) {
    NestingHook hook;
    hook.throwAtDepth = 3;
    SetPendingMessagesHook([&hook] { hook(); });
    EXPECT_THROW(ProcessPendingMessages(), std::runtime_error);
    EXPECT_EQ(hook.calls, 3);

    hook = NestingHook{};
    ProcessPendingMessages();
    EXPECT_EQ(hook.deepest, MAX_PENDING_MESSAGES_DEPTH);
    SetPendingMessagesHook({});
}

TEST(PendingMessages, AHookMayReplaceItselfWhileItRuns) {
    int second = 0;
    std::string seen;
    const std::string state(64, 's');  // big enough that the hook lives on the heap
    SetPendingMessagesHook([&, state] {
        SetPendingMessagesHook([&] { ++second; });
        seen = state;  // the running hook is still whole after the swap
    });
    ProcessPendingMessages();
    ProcessPendingMessages();
    EXPECT_EQ(seen, state);
    EXPECT_EQ(second, 1);
    SetPendingMessagesHook({});
}

}  // namespace
}  // namespace vantrel
