#pragma once

#include "platform/taskbar_button.h"

namespace vantrel {

// The window's X11 skip-taskbar state. Off X11 nothing changes and every
// window counts as having its button.
TaskbarButton& X11TaskbarButton();

}  // namespace vantrel
