#pragma once

class QWidget;

namespace vantrel {

// One tick of "时钟_靠边": hides the window at the top or bottom screen edge
// once the pointer leaves it and shows it again when the pointer reaches the
// strip left on screen. Away from both edges a tick asks the display server
// nothing, and the window's always-on-top state is touched only when it
// changes. Returns false when the window is left away from both edges, where
// further ticks change nothing until it moves.
bool EdgeHideTick(QWidget& window);

}  // namespace vantrel
