#include "net/pending_messages.h"

#include <atomic>
#include <thread>
#include <utility>

namespace vantrel {
namespace {

std::function<void()>& Hook() {
    static std::function<void()> hook;
    return hook;
}

// Only the thread that installed the hook runs it: requests waiting on other
// threads must not run the window's events.
std::atomic<std::thread::id>& Owner() {
    static std::atomic<std::thread::id> owner;
    return owner;
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
    if (Owner().load() != std::this_thread::get_id()) return;
    if (!Hook() || Depth() >= MAX_PENDING_MESSAGES_DEPTH) return;
    DepthGuard guard;
    // A copy: the hook may install another one while it runs.
    const std::function<void()> hook = Hook();
    hook();
}

std::function<void()> SetPendingMessagesHook(std::function<void()> hook) {
    Owner().store(hook ? std::this_thread::get_id() : std::thread::id());
    return std::exchange(Hook(), std::move(hook));
}

}  // namespace vantrel
