#include <benchmark/benchmark.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "settings/settings_file.h"
#include "support/x_session.h"

// CPU time the idle program spends per minute, with edge docking off, on
// (the window where it first opens, away from both edges) and on with the
// window hidden at the top edge, where the pointer is watched. Each case runs the real
// program for one minute on an X server and window manager of its own and
// reads the process's user and system time from /proc.

namespace {

namespace fs = std::filesystem;

constexpr int kIdleSeconds = 60;

double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Fields after the command name, which is in parentheses and may hold blanks.
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) user = std::stoull(field);
        if (i == 15) system = std::stoull(field);
    }
    return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

enum class Docking { kOff, kOn, kHiddenAtTop };

void IdleCpu(benchmark::State& state, Docking docking) {
    vantrel::test::XSession x;
    if (!x.Start()) return state.SkipWithError("Xvfb with openbox did not start");
    const fs::path config =
        fs::temp_directory_path() / ("vantrel-idle-" + std::to_string(::getpid()));
    vantrel::SettingsFields fields;
    fields.dockToEdge = docking != Docking::kOff;
    vantrel::SaveSettingsFile(fields, config / "vantrel" / "kweld.ini");
    // Port 9 on loopback: nothing answers, the first fetch fails at once.
    const pid_t pid =
        x.Launch({VANTREL_BINARY_DIR "/vantrel", "--service-base", "http://127.0.0.1:9"},
                 {"XDG_CONFIG_HOME=" + config.string(), "QT_QPA_PLATFORM=xcb"});
    const std::string search = "xdotool search --onlyvisible --pid " + std::to_string(pid) +
                               " --name '^Vantrel$' | head -1";
    std::string id;
    vantrel::test::WaitUntil(20000, [&] { return !(id = x.Run(search)).empty(); });
    if (id.empty()) {
        vantrel::test::StopProcess(pid, SIGKILL);
        return state.SkipWithError("no window");
    }
    id.erase(id.find_last_not_of("\n ") + 1);
    if (docking == Docking::kHiddenAtTop) {
        x.Run("xdotool mousemove 100 900 windowmove " + id + " x -5");
        vantrel::test::WaitUntil(5000, [&] {
            return x.Run("xdotool getwindowgeometry " + id).find(",-540") != std::string::npos;
        });
    }
    // Start-up work is over before the minute starts.
    std::this_thread::sleep_for(std::chrono::seconds(2));

    double perMinute = 0;
    for (auto _ : state) {
        const double before = CpuSeconds(pid);
        std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
        perMinute = (CpuSeconds(pid) - before) * 60 / kIdleSeconds;
    }
    state.counters["cpu_s_per_min"] = perMinute;
    state.counters["core_percent"] = perMinute / 60 * 100;
    vantrel::test::StopProcess(pid, SIGTERM);
    fs::remove_all(config);
}

}  // namespace

BENCHMARK_CAPTURE(IdleCpu, docking_off, Docking::kOff)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(IdleCpu, docking_on, Docking::kOn)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(IdleCpu, docking_on_hidden_at_top, Docking::kHiddenAtTop)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
