#pragma once

#include "desktop/tray_toolbar.h"

namespace vantrel {

// A button record's data word (byte 16) marking a button without an owner record.
inline constexpr std::uint32_t TRAY_NO_OWNER = 0xFFFFFFFF;

// Deletes, from the last button to the first, every button whose owner
// window is gone; buttons without an owner record stay. A failed read ends
// the sweep. Returns how many buttons were deleted.
int SweepTrayToolbar(TrayToolbar& toolbar);

// Sweeps the notification toolbar (version code 6) or it and then the
// overflow toolbar (code above 6); other codes sweep nothing.
void SweepTrayIcons(TrayPlatform& platform = SystemTrayPlatform());

}  // namespace vantrel
