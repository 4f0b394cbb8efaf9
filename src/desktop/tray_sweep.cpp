#include "desktop/tray_sweep.h"

namespace vantrel {

namespace {

constexpr std::size_t kDataWordOffset = 16;

std::uint32_t WordAt(const TrayToolbar::Record& record, std::size_t offset) {
    return static_cast<std::uint32_t>(record[offset]) |
           static_cast<std::uint32_t>(record[offset + 1]) << 8 |
           static_cast<std::uint32_t>(record[offset + 2]) << 16 |
           static_cast<std::uint32_t>(record[offset + 3]) << 24;
}

// False when a read failed and the sweep must end.
bool SweepButton(TrayToolbar& toolbar, int index, int& deleted) {
    const std::optional<TrayToolbar::Record> button = toolbar.Button(index);
    if (!button) return false;
    const std::uint32_t data = WordAt(*button, kDataWordOffset);
    if (data == TRAY_NO_OWNER) return true;
    const std::optional<TrayToolbar::Record> owner = toolbar.Read(data);
    if (!owner) return false;
    if (!toolbar.WindowExists(WordAt(*owner, 0))) {
        toolbar.DeleteButton(index);
        ++deleted;
    }
    return true;
}

void SweepIfPresent(std::unique_ptr<TrayToolbar> toolbar) {
    if (toolbar) SweepTrayToolbar(*toolbar);
}

}  // namespace

int SweepTrayToolbar(TrayToolbar& toolbar) {
    // The toolbar is taken not to change between the count and the loop;
    // walking from the end keeps the lower indexes valid across deletions.
    const int count = toolbar.ButtonCount();
    if (count <= 0 || !toolbar.Attach()) return 0;
    int deleted = 0;
    for (int i = count - 1; i >= 0; --i) {
        if (!SweepButton(toolbar, i, deleted)) break;
    }
    toolbar.Detach();
    return deleted;
}

void SweepTrayIcons(TrayPlatform& platform) {
    const int code = OsVersionCode(platform.Version());
    if (code < 6) return;
    SweepIfPresent(platform.NotificationToolbar());
    if (code > 6) SweepIfPresent(platform.OverflowToolbar());
}

}  // namespace vantrel
