#include "net/pending_messages.h"

#include <utility>

namespace vantrel {
namespace {

std::function<void()>& Hook() {
    static std::function<void()> hook;
    return hook;
}

int& Depth() {
    static int depth = 0;
    return depth;
}

class DepthGuard {
  public:
    DepthGuard() { ++Depth(); }
    ~DepthGuard() { --Depth(); }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};

}  // namespace

void ProcessPendingMessages() {
    if (!Hook() || Depth() >= MAX_PENDING_MESSAGES_DEPTH) return;
    DepthGuard guard;
    // A copy: the hook may install another one while it runs.
    const std::function<void()> hook = Hook();
    hook();
}

std::function<void()> SetPendingMessagesHook(std::function<void()> hook) {
    return std::exchange(Hook(), std::move(hook));
}

}  // namespace vantrel
