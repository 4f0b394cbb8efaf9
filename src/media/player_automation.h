#pragma once

#include "media/automation_object.h"

namespace vantrel {

class VideoControl;

// The control's automation object: the player members by name, and its four
// member objects "Controls", "CurrentMedia", "settings" and "Network". It only
// points at the control: once the control's window is gone, every member
// reads as missing.
Dispatch MakePlayerAutomation(VideoControl* control);

}  // namespace vantrel
