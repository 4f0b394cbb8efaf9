#pragma once

#include "platform/window_stacking.h"

namespace vantrel {

// The window's stays-on-top flag. A shown window keeps its native window: on
// X11 only its _NET_WM_STATE changes, where setting the widget's flag would
// destroy and re-map it.
WindowStacking& X11WindowStacking();

}  // namespace vantrel
