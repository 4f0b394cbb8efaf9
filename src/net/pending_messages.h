#pragma once

#include <functional>

namespace vantrel {

// How deep waits may nest and still run the hook: a handler run from the hook
// may start a request whose wait runs the hook again, and so on. Each level
// stays live; past this depth the wait runs without it, so a storm of clicks
// cannot grow the stack without end.
inline constexpr int MAX_PENDING_MESSAGES_DEPTH = 8;

// Long waits in core (network requests, long loops) call this so that the
// window keeps repainting and timers keep ticking. The UI installs the hook;
// without a UI it does nothing. A hook that throws leaves the depth count as
// it found it.
void ProcessPendingMessages();

// Installs (or, with an empty function, removes) the hook. Returns the old one.
std::function<void()> SetPendingMessagesHook(std::function<void()> hook);

}  // namespace vantrel
