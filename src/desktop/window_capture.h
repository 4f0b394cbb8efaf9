#pragma once

class QWidget;

namespace vantrel {

// Puts a picture of the window as it looks now on the clipboard as an image
// other programs can paste. Nothing happens when the window cannot be drawn.
// Returns whether the clipboard was set.
bool CaptureWindowToClipboard(QWidget* window);

}  // namespace vantrel
