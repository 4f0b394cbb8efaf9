#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace vantrel::test {

// A private X server with a window manager, for tests that need one: the
// window manager decides where windows may go, as on a real desktop.
class XSession {
  public:
    XSession() = default;
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;
    ~XSession();

    // Starts Xvfb on a free display, then openbox; false when either fails.
    bool Start(int width = 1920, int height = 1080);
    const std::string& Display() const { return display_; }

    // Runs a shell command on this display and returns what it printed.
    std::string Run(const std::string& command, int* status = nullptr) const;

    // Starts a program on this display with `environment` (NAME=value) added.
    pid_t Launch(const std::vector<std::string>& argv,
                 const std::vector<std::string>& environment = {}) const;

  private:
    bool WindowManagerRunning() const;

    std::string display_;
    pid_t server_ = -1;
    pid_t manager_ = -1;
};

// Runs a shell command and returns what it wrote to standard output; `status`
// receives its exit status, or -1 when it did not end normally.
std::string ShellOutput(const std::string& command, int* status = nullptr);

// Stops a started process (SIGTERM, then SIGKILL after `graceMs`) and returns its exit
// status, or -1 when it did not end by itself.
int StopProcess(pid_t pid, int signal, int graceMs = 5000);

// A shell command that prints the id of the started program's main window:
// not another program's, and not its tray icon, which is visible under the
// same name once a tray host embeds it. Prints nothing while there is none.
std::string MainWindowSearch(pid_t pid);

// What a start-up that showed no window leaves to see: whether the program
// still runs, the windows it has, what it wrote to errorLog and, when gdb is
// there, where each of its threads waits.
std::string StartUpDiagnosis(pid_t pid, const std::string& errorLog);

// Calls `probe` every 50 ms until it returns true or `ms` have passed.
bool WaitUntil(int ms, const std::function<bool()>& probe);

}  // namespace vantrel::test
