#pragma once

#include "desktop/edge_hide.h"

class QWidget;

namespace vantrel {

// While the window hides at an edge it reserves its 2-pixel strip there (a
// partial strut over its own width): window managers that keep windows on
// screen let a window with a strut on that edge go past it, and maximised
// windows leave the strip uncovered. kNone gives the strip back.
void ReserveEdgeStrip(QWidget& window, EdgeSide side);

}  // namespace vantrel
