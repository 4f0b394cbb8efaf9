#pragma once

#include <optional>

#include "platform/edge_strut.h"

namespace vantrel {

// The main window's place, the pointer and the primary screen's height, in
// screen pixels, as one tick of the edge timer sees them.
struct EdgeHideInput {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double pointerX = 0;
    double pointerY = 0;
    double screenHeight = 0;
};

// What one tick does to the window.
struct EdgeHidePlan {
    // The window is raised once: the first always-on-top setting switched it
    // on and the second off again.
    bool raise = false;
    // The always-on-top state the tick leaves (the second setting).
    bool topMost = false;
    // The new top, truncated to whole pixels; empty when the window stays.
    std::optional<int> top;

    bool operator==(const EdgeHidePlan&) const = default;
};

// Shown at the top: T = 0; hidden above: T = 2 - H. Shown at the bottom:
// T = SH - H - 30; hidden below: T = SH - 2. Comparisons allow 1e-7.
EdgeHidePlan PlanEdgeHide(const EdgeHideInput& in);

// The edge a window moved to `top` hides behind, if any.
EdgeSide HiddenSide(const EdgeHideInput& in, int top);

// Whether the pointer can change the plan for this geometry. Away from both
// edges it cannot, so a tick there needs no pointer position.
bool EdgeHideNeedsPointer(const EdgeHideInput& in);

}  // namespace vantrel
