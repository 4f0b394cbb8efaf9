#pragma once

#include "platform/edge_strut.h"

namespace vantrel {

// The window's _NET_WM_STRUT_PARTIAL; does nothing off X11.
EdgeStrut& X11EdgeStrut();

}  // namespace vantrel
