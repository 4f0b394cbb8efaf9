#pragma once

class QWidget;

namespace vantrel {

// Whether a top-level window has a button on the desktop's taskbar: the X11
// skip-taskbar state of the window. Does nothing on other platforms.
void SetTaskbarButton(QWidget* window, bool shown);
// The state as the window carries it now (true: it has a taskbar button).
bool HasTaskbarButton(QWidget* window);

}  // namespace vantrel
