#pragma once

class QWidget;

namespace vantrel {

class EdgeStrut;
class WindowStacking;

// What a tick leaves for the next one to watch.
enum class EdgeTickOutcome {
    kWindowMoved,        // it moved the window; the next tick may move it again
    kAwayFromEdges,      // nothing changes until the window moves
    kWaitingForPointer,  // at an edge: nothing changes until the pointer moves
};

// One tick of "时钟_靠边": hides the window at the top or bottom screen edge
// once the pointer leaves it and shows it again when the pointer reaches the
// strip left on screen. Away from both edges a tick asks the display server
// nothing, and the window's always-on-top state is touched only when it
// changes.
EdgeTickOutcome EdgeHideTick(QWidget& window, WindowStacking& stacking, EdgeStrut& strut);

}  // namespace vantrel
