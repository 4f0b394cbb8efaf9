#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "desktop/os_version_code.h"

namespace vantrel {

// A notification-area toolbar that lives in another process (the shell's).
// Addresses and window handles are 32-bit words of that process.
class TrayToolbar {
  public:
    using Record = std::array<std::uint8_t, 24>;

    virtual ~TrayToolbar() = default;

    virtual int ButtonCount() = 0;
    // Opens the owning process and reserves a buffer there; false stops the
    // sweep. Detach gives both back.
    virtual bool Attach() = 0;
    virtual void Detach() = 0;
    // The button record at `index`, copied out of the other process.
    virtual std::optional<Record> Button(int index) = 0;
    // 24 bytes of the other process's memory at `address`.
    virtual std::optional<Record> Read(std::uint32_t address) = 0;
    virtual bool WindowExists(std::uint32_t window) = 0;
    virtual void DeleteButton(int index) = 0;
};

// What the platform offers to the sweep: its version and the two toolbars
// (empty when it has none).
class TrayPlatform {
  public:
    virtual ~TrayPlatform() = default;

    virtual OsVersion Version() = 0;
    virtual std::unique_ptr<TrayToolbar> NotificationToolbar() = 0;
    virtual std::unique_ptr<TrayToolbar> OverflowToolbar() = 0;
};

// The platform this program runs on.
TrayPlatform& SystemTrayPlatform();

}  // namespace vantrel
