#include "desktop/tray_toolbar.h"

namespace vantrel {

namespace {

// On X11 a tray icon is an XEmbed window owned by its process and goes away
// with it, so no toolbar ever holds an icon of a dead program: the platform
// has no toolbar to offer and the sweep has nothing to do.
class X11TrayPlatform final : public TrayPlatform {
  public:
    OsVersion Version() override { return {}; }
    std::unique_ptr<TrayToolbar> NotificationToolbar() override { return nullptr; }
    std::unique_ptr<TrayToolbar> OverflowToolbar() override { return nullptr; }
};

}  // namespace

TrayPlatform& SystemTrayPlatform() {
    static X11TrayPlatform platform;
    return platform;
}

}  // namespace vantrel
