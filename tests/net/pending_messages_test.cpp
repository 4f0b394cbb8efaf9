#include "net/pending_messages.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(PendingMessages, HookRunsOnceAndNeverReenters) {
    EXPECT_NO_THROW(ProcessPendingMessages());  // no hook installed: nothing happens

    int calls = 0;
    SetPendingMessagesHook([&] {
        ++calls;
        ProcessPendingMessages();  // a nested wait inside a handler
    });
    ProcessPendingMessages();
    ProcessPendingMessages();
    EXPECT_EQ(calls, 2);

    auto old = SetPendingMessagesHook({});
    EXPECT_TRUE(static_cast<bool>(old));
    ProcessPendingMessages();
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace vantrel
