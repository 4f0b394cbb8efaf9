#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace vantrel::test {

// A private D-Bus session bus for one test, and on it, when asked, the
// recording notification service (tests/app/notification_server.py). Both
// end with this object.
class SessionBus {
  public:
    SessionBus() = default;
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;
    ~SessionBus();

    // Starts dbus-daemon; false with the reason when the machine has none.
    bool Start(std::string& why);
    const std::string& Address() const { return address_; }

    // Starts the notification service, which appends one JSON line per
    // Notify call to `log`; returns once it owns its name. False with the
    // reason when Python's dbus and gi modules are missing or it did not start.
    bool StartNotificationServer(const std::string& log, std::string& why);

  private:
    pid_t daemon_ = -1;
    pid_t server_ = -1;
    std::string address_;
};

// The Notify calls the service recorded in `log`, in order: id, app_name,
// app_icon, summary, body, actions, hints (names), desktop_entry and image
// ([width, height, row stride, alpha, bits per sample, channels, bytes]).
std::vector<nlohmann::json> NotifyCalls(const std::string& log);

}  // namespace vantrel::test
