#include "support/session_bus.h"

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/child_process.h"
#include "support/x_session.h"

namespace vantrel::test {

SessionBus::~SessionBus() {
    if (server_ > 0) StopProcess(server_, SIGTERM, 2000);
    if (daemon_ > 0) ::kill(daemon_, SIGTERM);
}

bool SessionBus::Start(std::string& why) {
    if (ShellOutput("command -v dbus-daemon").empty()) {
        why = "no dbus-daemon on this machine";
        return false;
    }
    int status = -1;
    std::istringstream lines(ShellOutput(
        "dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1", &status));
    std::string pid;
    std::getline(lines, address_);
    std::getline(lines, pid);
    if (status != 0 || address_.empty() || pid.empty()) {
        why = "dbus-daemon did not start";
        return false;
    }
    daemon_ = static_cast<pid_t>(std::stol(pid));
    return true;
}

bool SessionBus::StartNotificationServer(const std::string& log, std::string& why) {
    int status = -1;
    ShellOutput("/usr/bin/python3 -c 'import dbus, gi' 2>/dev/null", &status);
    if (status != 0) {
        why = "/usr/bin/python3 lacks the dbus and gi modules (python3-dbus, python3-gi)";
        return false;
    }
    const std::string script = VANTREL_SOURCE_DIR "/tests/app/notification_server.py";
    server_ = StartProcess({"/usr/bin/python3", script, log},
                           {"DBUS_SESSION_BUS_ADDRESS=" + address_}, -1, log + ".stderr");
    if (!WaitUntil(15000, [&] { return std::filesystem::exists(log + ".ready"); })) {
        why = "the notification server did not start: " + ShellOutput("cat '" + log + ".stderr'");
        return false;
    }
    return true;
}

std::vector<nlohmann::json> NotifyCalls(const std::string& log) {
    std::vector<nlohmann::json> calls;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);)
        calls.push_back(nlohmann::json::parse(line));
    return calls;
}

}  // namespace vantrel::test
