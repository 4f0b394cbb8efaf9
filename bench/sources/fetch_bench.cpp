#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include "../curl_tool.h"

#include <string>

#ifdef VANTREL_HAVE_NLOHMANN
#include <nlohmann/json.hpp>
#endif

#include "app/app_state.h"
#include "app/refresh_cycle.h"
#include "app/source_buttons.h"
#include "model/list_model.h"
#include "sources/demo_server.h"
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

void BM_ClickToFilledList(benchmark::State& state, SourceId id) {
    if (Server() == nullptr) {
        state.SkipWithError("demo server did not start");
        return;
    }
    const Source source = SourceFor(id);
    vantrel::AppState app;
    vantrel::ListModel list;
    vantrel::SourceButtons buttons;
    vantrel::SetUpTrendingColumns(list);
    vantrel::RefreshCycle cycle(app, list, buttons);
    cycle.SetFetchRoutine(id, source.routine);
    app.currentSource = id;
    for (auto _ : state) {
        cycle.RefreshCurrentSource();
        if (list.ItemCount() == 0) {
            state.SkipWithError("the list stayed empty");
            break;
        }
        benchmark::DoNotOptimize(list.ItemCount());
    }
    state.counters["rows"] = list.ItemCount();
}

void BM_CurlTool(benchmark::State& state, SourceId id) {
    if (Server() == nullptr) {
        state.SkipWithError("demo server did not start");
        return;
    }
    const Source source = SourceFor(id);
    std::string url = vantrel::ServiceUrl(source.host, "https", source.pathAndQuery);
    RunCurlTool(state, url);
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

void BM_InProcessFloor(benchmark::State& state, SourceId id) {
    if (Server() == nullptr) {
        state.SkipWithError("demo server did not start");
        return;
    }
    const Source source = SourceFor(id);
    const std::string url = vantrel::ServiceUrl(source.host, "https", source.pathAndQuery);
    for (auto _ : state) {
        std::string body;
        CURL* easy = curl_easy_init();
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &AppendBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
        CURLcode code = curl_easy_perform(easy);
        curl_easy_cleanup(easy);
        nlohmann::json json = nlohmann::json::parse(JsonPart(id, body), nullptr, false);
        if (code != CURLE_OK || json.is_discarded()) {
            state.SkipWithError("the floor's transfer or parse failed");
            break;
        }
        benchmark::DoNotOptimize(json);
    }
}
#define VANTREL_FLOOR(name, id)                    \
    BENCHMARK_CAPTURE(BM_InProcessFloor, name, id) \
        ->Unit(benchmark::kMicrosecond)            \
        ->UseRealTime()                            \
        ->Repetitions(9)                           \
        ->ReportAggregatesOnly(true);
#else
#define VANTREL_FLOOR(name, id)
#endif

#define VANTREL_SOURCE_PAIR(name, id)                 \
    BENCHMARK_CAPTURE(BM_ClickToFilledList, name, id) \
        ->Unit(benchmark::kMicrosecond)               \
        ->UseRealTime()                               \
        ->Repetitions(9)                              \
        ->ReportAggregatesOnly(true);                 \
    VANTREL_FLOOR(name, id)                           \
    BENCHMARK_CAPTURE(BM_CurlTool, name, id)          \
        ->Unit(benchmark::kMicrosecond)               \
        ->UseRealTime()                               \
        ->Repetitions(9)                              \
        ->ReportAggregatesOnly(true)

VANTREL_SOURCE_PAIR(Weibo, SourceId::kWeibo);
VANTREL_SOURCE_PAIR(Baidu, SourceId::kBaidu);
VANTREL_SOURCE_PAIR(Toutiao, SourceId::kToutiao);
VANTREL_SOURCE_PAIR(Douyin, SourceId::kDouyin);

}  // namespace

BENCHMARK_MAIN();
