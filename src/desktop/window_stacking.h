#pragma once

class QWidget;

namespace vantrel {

bool IsStaysOnTop(const QWidget& window);

// Switches the window's always-on-top state. A shown window keeps its native
// window: on X11 only its _NET_WM_STATE changes, where setting the widget's
// flag would destroy and re-map it.
void SetStaysOnTop(QWidget& window, bool on);

}  // namespace vantrel
