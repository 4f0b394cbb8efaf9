#pragma once

#include <functional>

namespace vantrel {

// Long waits in core (network requests, long loops) call this so that the
// window keeps repainting and timers keep ticking. The UI installs the hook;
// without a UI it does nothing.
void ProcessPendingMessages();

// Installs (or, with an empty function, removes) the hook. Returns the old one.
std::function<void()> SetPendingMessagesHook(std::function<void()> hook);

}  // namespace vantrel
