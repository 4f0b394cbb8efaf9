#include <benchmark/benchmark.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../in_turns.h"
#include "history/history_store.h"
#include "sources/list_fetchers.h"
#include "sources/service_hosts.h"
#include "support/loopback_server.h"
#include "support/x_session.h"

// Start-up against a service that never answers: the program with a kept
// Weibo list, from launch to its mapped window, in turns with a bare Qt
// Widgets window of the same size with a label, on one X server with a window
// manager. Then a documented Weibo request that stays silent while a fallback
// answers: the time until the fetch hands back its list.

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

vantrel::test::Reply Silent() {
    vantrel::test::Reply reply;
    reply.silent = true;
    reply.end = vantrel::test::Reply::End::kHang;
    return reply;
}

// A list as an earlier run kept it, a few minutes old.
bool KeepWeiboList(const fs::path& data) {
    vantrel::HistoryStore store(data / "vantrel" / "history.sqlite3");
    vantrel::HistoryList list{
        "weibo", std::chrono::system_clock::now() - std::chrono::minutes(4), "主接口", {}};
    for (int rank = 0; rank <= 50; ++rank)
        list.rows.push_back({rank, "热点话题第" + std::to_string(rank) + "条", "", {}, ""});
    return store.Store(list).stored;
}

// Launches and waits until a visible window named `title` of that process is there.
bool Mapped(const vantrel::test::XSession& x, const std::vector<std::string>& argv,
            const std::string& title, const fs::path& home) {
    const pid_t pid =
        x.Launch(argv, {"XDG_CONFIG_HOME=" + (home / "config").string(),
                        "XDG_DATA_HOME=" + (home / "data").string(),
                        "XDG_CACHE_HOME=" + (home / "cache").string(), "QT_QPA_PLATFORM=xcb"});
    const std::string search = "xdotool search --onlyvisible --pid " + std::to_string(pid) +
                               " --name '^" + title + "$' | head -1";
    bool shown = false;
    const auto start = Clock::now();
    while (!shown && Clock::now() - start < std::chrono::seconds(30))
        shown = !x.Run(search).empty();
    // At once: a program asked to end during its first fetch ends when the fetch does.
    vantrel::test::StopProcess(pid, SIGKILL);
    return shown;
}

void KeptListStartBesideBareWindow(benchmark::State& state) {
    vantrel::test::XSession x;
    if (!x.Start(1920, 1080)) return state.SkipWithError("Xvfb with openbox did not start");
    vantrel::test::LoopbackServer server([](const std::string&) { return Silent(); });
    const fs::path home =
        fs::temp_directory_path() / ("vantrel-start-" + std::to_string(::getpid()));
    fs::remove_all(home);
    if (!KeepWeiboList(home / "data")) return state.SkipWithError("the list could not be kept");
    const std::vector<std::string> program = {VANTREL_BINARY_DIR "/vantrel", "--service-base",
                                              server.base(), "--timeout", "30"};
    const std::vector<std::string> bare = {VANTREL_BINARY_DIR "/bench/app/bare_window"};
    InTurns(
        state, "program", [&] { return Mapped(x, program, "Vantrel", home); }, "bare",
        [&] { return Mapped(x, bare, "Bare", home); });
    fs::remove_all(home);
}

std::string Sample(const char* name) {
    std::ifstream in(fs::path(VANTREL_DEMO_SAMPLES_DIR) / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void SilentDocumentedAnsweringFallback(benchmark::State& state) {
    const std::string side = Sample("weibo_side_hot.json");
    vantrel::test::LoopbackServer server([&](const std::string& request) {
        const std::string target = vantrel::test::RequestTarget(request);
        // The fallback fetches the site's home for its cookie first.
        if (target == "/")
            return vantrel::test::HttpReply("HTTP/1.1 200 OK", "<html>ok</html>",
                                            {"Set-Cookie: SUB=visitor; Path=/"});
        if (target.rfind("/ajax/side/hotSearch", 0) == 0)
            return vantrel::test::HttpReply("HTTP/1.1 200 OK", side,
                                            {"Content-Type: application/json"});
        return Silent();
    });
    vantrel::SetServiceBase(server.base());
    vantrel::SetServiceTimeoutSeconds(30);
    std::vector<double> seconds;
    for (auto _ : state) {
        const auto start = Clock::now();
        const vantrel::FetchResult result = vantrel::FetchWeibo();
        seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        if (result.entries.empty()) return state.SkipWithError("the fallback gave no list");
        state.counters["answered_by"] = result.answeredBy;
    }
    std::nth_element(seconds.begin(), seconds.begin() + seconds.size() / 2, seconds.end());
    state.counters["list_s"] = seconds[seconds.size() / 2];
}

}  // namespace

BENCHMARK(KeptListStartBesideBareWindow)->Iterations(9)->Unit(benchmark::kMillisecond);
BENCHMARK(SilentDocumentedAnsweringFallback)->Iterations(5)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
