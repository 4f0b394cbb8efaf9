#include <benchmark/benchmark.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/x_session.h"

// Resident memory of the program started with --demo, showing its first
// list, beside a bare Qt Widgets window of the same size with a label. Both
// run on one X server with a window manager, started in turns (each going
// first in every other round) so that both meet the same machine; the
// counters are the medians in KiB and their ratio.

namespace {

namespace fs = std::filesystem;

struct Memory {
    long rss = 0, anon = 0, file = 0;
};

Memory Resident(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    Memory memory;
    for (std::string line; std::getline(in, line);) {
        const auto value = [&](const char* key, long& into) {
            if (line.rfind(key, 0) == 0) into = std::stol(line.substr(std::string(key).size()));
        };
        value("VmRSS:", memory.rss);
        value("RssAnon:", memory.anon);
        value("RssFile:", memory.file);
    }
    return memory;
}

// Starts the program, waits for its window named `title` and for its memory
// to stop moving (one second without a change of more than 64 KiB), and
// stops it again.
Memory Measure(const vantrel::test::XSession& x, const std::vector<std::string>& argv,
               const std::string& title, const fs::path& home) {
    fs::remove_all(home);
    fs::create_directories(home);
    const pid_t pid =
        x.Launch(argv, {"XDG_CONFIG_HOME=" + (home / "config").string(),
                        "XDG_DATA_HOME=" + (home / "data").string(),
                        "XDG_CACHE_HOME=" + (home / "cache").string(), "QT_QPA_PLATFORM=xcb"});
    const std::string search = "xdotool search --onlyvisible --pid " + std::to_string(pid) +
                               " --name '^" + title + "$' | head -1";
    Memory memory;
    if (vantrel::test::WaitUntil(30000, [&] { return !x.Run(search).empty(); })) {
        Memory last;
        for (int i = 0; i < 30; ++i) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            memory = Resident(pid);
            if (i >= 2 && std::abs(memory.rss - last.rss) <= 64) break;
            last = memory;
        }
    }
    vantrel::test::StopProcess(pid, SIGTERM);
    return memory;
}

long Median(std::vector<long> samples) {
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}

void ProgramBesideBareWindow(benchmark::State& state) {
    vantrel::test::XSession x;
    if (!x.Start(1920, 1080)) return state.SkipWithError("Xvfb with openbox did not start");
    const fs::path home =
        fs::temp_directory_path() / ("vantrel-memory-" + std::to_string(::getpid()));
    const std::vector<std::string> program = {VANTREL_BINARY_DIR "/vantrel", "--demo"};
    const std::vector<std::string> bare = {VANTREL_BINARY_DIR "/bench/app/bare_window"};
    std::vector<long> ours, floor, anon, file, floorAnon, floorFile;
    bool programFirst = true;
    for (auto _ : state) {
        Memory mine, plain;
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == programFirst) {
                mine = Measure(x, program, "Vantrel", home);
            } else {
                plain = Measure(x, bare, "Bare", home);
            }
        }
        programFirst = !programFirst;
        if (mine.rss == 0 || plain.rss == 0) return state.SkipWithError("a window did not show");
        ours.push_back(mine.rss);
        anon.push_back(mine.anon);
        file.push_back(mine.file);
        floor.push_back(plain.rss);
        floorAnon.push_back(plain.anon);
        floorFile.push_back(plain.file);
    }
    fs::remove_all(home);
    if (ours.empty()) return;
    state.counters["program_kb"] = static_cast<double>(Median(ours));
    state.counters["program_anon_kb"] = static_cast<double>(Median(anon));
    state.counters["program_file_kb"] = static_cast<double>(Median(file));
    state.counters["bare_kb"] = static_cast<double>(Median(floor));
    state.counters["bare_anon_kb"] = static_cast<double>(Median(floorAnon));
    state.counters["bare_file_kb"] = static_cast<double>(Median(floorFile));
    state.counters["ratio"] =
        static_cast<double>(Median(ours)) / static_cast<double>(Median(floor));
}

}  // namespace

BENCHMARK(ProgramBesideBareWindow)->Iterations(5)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
