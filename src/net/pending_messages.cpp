#include "net/pending_messages.h"

#include <utility>

namespace vantrel {
namespace {

std::function<void()>& Hook() {
    static std::function<void()> hook;
    return hook;
}

bool& Running() {
    static bool running = false;
    return running;
}

}  // namespace

void ProcessPendingMessages() {
    // A handler run from inside the hook may itself wait on the network; it
    // must not re-enter the hook, or the stack grows with every tick.
    if (!Hook() || Running()) return;
    Running() = true;
    Hook()();
    Running() = false;
}

std::function<void()> SetPendingMessagesHook(std::function<void()> hook) {
    return std::exchange(Hook(), std::move(hook));
}

}  // namespace vantrel
