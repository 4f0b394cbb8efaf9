#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include "../curl_tool.h"
#include "../in_turns.h"

#include <string>

#ifdef VANTREL_HAVE_NLOHMANN
#include <nlohmann/json.hpp>
#endif

#include "app/app_state.h"
#include "app/refresh_cycle.h"
#include "app/source_buttons.h"
#include "model/list_model.h"
#include "sources/demo/demo_server.h"
#include "sources/list_fetchers.h"
#include "sources/service_hosts.h"

// "Click to filled list" for each source against the program's own demo
// server on 127.0.0.1: the source's fetch routine and the filling of the
// trending list, in the same run beside two yardsticks: the floor of the same
// work in-process (one libcurl easy transfer of the same address and a plain
// parse of its JSON) and the curl command-line tool. Compare the medians.

namespace {

using vantrel::FetchRoutine;
using vantrel::ServiceHost;
using vantrel::SourceId;

// Started once; every service host points at it for the whole run.
const vantrel::DemoServer* Server() {
    static vantrel::DemoServer* server = [] {
        auto* s = new vantrel::DemoServer;
        if (!s->Start() || !vantrel::SetServiceBase(s->Base())) {
            delete s;
            return static_cast<vantrel::DemoServer*>(nullptr);
        }
        return s;
    }();
    return server;
}

struct Source {
    SourceId id;
    FetchRoutine routine;
    ServiceHost host;
    const char* pathAndQuery;  // the list address, as the routine asks for it
};

Source SourceFor(SourceId id) {
    switch (id) {
        case SourceId::kWeibo:
            return {id, vantrel::FetchWeibo, ServiceHost::kWeiboApi,
                    "/2/guest/page?containerid=106003&filter_type=realtimehot"};
        case SourceId::kBaidu:
            return {id, vantrel::FetchBaidu, ServiceHost::kBaiduBoard, "/board?tab=realtime"};
        case SourceId::kToutiao:
            return {id, vantrel::FetchToutiao, ServiceHost::kToutiaoApi,
                    "/api/suggest_words/?business_id=10017"};
        default:
            return {id, vantrel::FetchDouyin, ServiceHost::kDouyinCreator,
                    "/aweme/v1/creator/data/billboard/?billboard_type=1"};
    }
}

// False, with the benchmark marked skipped, when the demo server is not up.
bool ServerStarted(benchmark::State& state) {
    if (Server() != nullptr) return true;
    state.SkipWithError("demo server did not start");
    return false;
}

std::string ListUrl(const Source& source) {
    return vantrel::ServiceUrl(source.host, "https", source.pathAndQuery);
}

// The program's side of a click: the source's fetch routine filling the list.
class Clicker {
  public:
    explicit Clicker(const Source& source) : cycle_(app_, list_, buttons_) {
        vantrel::SetUpTrendingColumns(list_);
        cycle_.SetFetchRoutine(source.id, source.routine);
        app_.currentSource = source.id;
    }
    // False when the list stayed empty.
    bool Click() {
        cycle_.RefreshCurrentSource();
        return list_.ItemCount() > 0;
    }
    int Rows() const { return list_.ItemCount(); }

  private:
    vantrel::AppState app_;
    vantrel::ListModel list_;
    vantrel::SourceButtons buttons_;
    vantrel::RefreshCycle cycle_;
};

void BM_ClickToFilledList(benchmark::State& state, SourceId id) {
    if (!ServerStarted(state)) return;
    Clicker clicker(SourceFor(id));
    for (auto _ : state) {
        if (!clicker.Click()) {
            state.SkipWithError("the list stayed empty");
            break;
        }
    }
    state.counters["rows"] = clicker.Rows();
}

void BM_CurlTool(benchmark::State& state, SourceId id) {
    if (!ServerStarted(state)) return;
    const Source source = SourceFor(id);
    const std::string url = ListUrl(source);
    RunCurlTool(state, url);
}

// Microseconds of wall time, the median of nine runs.
void NineRuns(benchmark::internal::Benchmark* benchmark) {
    benchmark->Unit(benchmark::kMicrosecond)
        ->UseRealTime()
        ->Repetitions(9)
        ->ReportAggregatesOnly(true);
}

#ifdef VANTREL_HAVE_NLOHMANN
std::size_t AppendBody(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// The JSON part of an answer: Baidu embeds it in its page.
std::string_view JsonPart(SourceId id, std::string_view body) {
    if (id != SourceId::kBaidu) return body;
    std::size_t begin = body.find("<!--s-data:");
    std::size_t end = body.find("-->", begin);
    if (begin == std::string_view::npos || end == std::string_view::npos) return {};
    begin += 11;
    return body.substr(begin, end - begin);
}

// One transfer of url and a plain parse of its JSON; false when either failed.
bool FloorOnce(SourceId id, const std::string& url) {
    std::string body;
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    CURLcode code = curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    nlohmann::json json = nlohmann::json::parse(JsonPart(id, body), nullptr, false);
    benchmark::DoNotOptimize(json);
    return code == CURLE_OK && !json.is_discarded();
}

void BM_InProcessFloor(benchmark::State& state, SourceId id) {
    if (!ServerStarted(state)) return;
    const Source source = SourceFor(id);
    const std::string url = ListUrl(source);
    for (auto _ : state) {
        if (!FloorOnce(id, url)) {
            state.SkipWithError("the floor's transfer or parse failed");
            break;
        }
    }
}

// The click and its floor in turns (see InTurns).
void BM_ClickBesideFloor(benchmark::State& state, SourceId id) {
    if (!ServerStarted(state)) return;
    const Source source = SourceFor(id);
    const std::string url = ListUrl(source);
    Clicker clicker(source);
    InTurns(
        state, "click", [&] { return clicker.Click(); }, "floor",
        [&] { return FloorOnce(id, url); });
}
#define VANTREL_FLOOR(name, id)                                      \
    BENCHMARK_CAPTURE(BM_InProcessFloor, name, id)->Apply(NineRuns); \
    BENCHMARK_CAPTURE(BM_ClickBesideFloor, name, id)                 \
        ->Unit(benchmark::kMicrosecond)                              \
        ->UseRealTime()                                              \
        ->Iterations(400);
#else
#define VANTREL_FLOOR(name, id)
#endif

#define VANTREL_SOURCE_PAIR(name, id)                                   \
    BENCHMARK_CAPTURE(BM_ClickToFilledList, name, id)->Apply(NineRuns); \
    VANTREL_FLOOR(name, id)                                             \
    BENCHMARK_CAPTURE(BM_CurlTool, name, id)->Apply(NineRuns)

VANTREL_SOURCE_PAIR(Weibo, SourceId::kWeibo);
VANTREL_SOURCE_PAIR(Baidu, SourceId::kBaidu);
VANTREL_SOURCE_PAIR(Toutiao, SourceId::kToutiao);
VANTREL_SOURCE_PAIR(Douyin, SourceId::kDouyin);

}  // namespace

BENCHMARK_MAIN();
