#include "support/x_session.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "support/child_process.h"

namespace vantrel::test {

XSession::~XSession() {
    if (manager_ > 0) StopProcess(manager_, SIGTERM, 2000);
    if (server_ > 0) StopProcess(server_, SIGTERM, 2000);
}

bool XSession::Start(int width, int height) {
    // Xvfb writes the display number it found free to the pipe.
    int numberPipe[2];
    if (::pipe(numberPipe) != 0) return false;
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    // -noreset: a server that resets when its last client leaves refuses
    // whoever connects meanwhile.
    server_ = StartProcess({"Xvfb", "-displayfd", std::to_string(numberPipe[1]), "-screen", "0",
                            screen, "-nolisten", "tcp", "-noreset"});
    ::close(numberPipe[1]);
    std::string number;
    char c = 0;
    while (::read(numberPipe[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(numberPipe[0]);
    if (number.empty()) return false;
    display_ = ":" + number;
    manager_ = Launch({"openbox", "--sm-disable"});
    // Slow on a busy machine: openbox reads its theme and fonts first.
    return WaitUntil(30000, [this] { return WindowManagerRunning(); });
}

bool XSession::WindowManagerRunning() const {
    return Run("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") != std::string::npos;
}

std::string XSession::Run(const std::string& command, int* status) const {
    return ShellOutput("export DISPLAY=" + display_ + "; " + command, status);
}

pid_t XSession::Launch(const std::vector<std::string>& argv,
                       const std::vector<std::string>& environment) const {
    std::vector<std::string> all = {"DISPLAY=" + display_};
    all.insert(all.end(), environment.begin(), environment.end());
    return StartProcess(argv, all);
}

std::string MainWindowSearch(pid_t pid) {
    // --all: without it xdotool takes a window that meets any one criterion.
    return "for w in $(xdotool search --all --onlyvisible --pid " + std::to_string(pid) +
           " --name '^Vantrel$' 2>/dev/null); do eval $(xdotool getwindowgeometry --shell "
           "$w); [ \"$WIDTH\" -ge 100 ] && echo $w && break; done";
}

std::string StartUpDiagnosis(pid_t pid, const std::string& errorLog) {
    const std::string id = std::to_string(pid);
    std::string text = ShellOutput("grep -E '^(State|Threads):' /proc/" + id + "/status 2>&1");
    text += "windows:\n" + ShellOutput("for w in $(xdotool search --pid " + id +
                                       " 2>/dev/null); do echo \"$w '$(xdotool getwindowname "
                                       "$w)' $(xdotool getwindowgeometry --shell $w | tr '\\n' "
                                       "' ')\"; done");
    text += "standard error:\n" + ShellOutput("tail -c 4000 '" + errorLog + "'");
    if (!ShellOutput("command -v gdb").empty())
        text +=
            ShellOutput("gdb -p " + id + " -batch -ex 'thread apply all bt' 2>&1 | tail -c 12000");
    return text;
}

std::string ShellOutput(const std::string& command, int* status) {
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, n);
    const int rc = ::pclose(pipe);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return text;
}

int StopProcess(pid_t pid, int signal, int graceMs) {
    ::kill(pid, signal);
    int status = 0;
    const bool ended = WaitUntil(graceMs, [&] { return ::waitpid(pid, &status, WNOHANG) == pid; });
    if (!ended) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool WaitUntil(int ms, const std::function<bool()>& probe) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!probe()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

}  // namespace vantrel::test
