#include <benchmark/benchmark.h>

#include "../curl_tool.h"

#include <string>

#include "net/http_request.h"
#include "support/loopback_server.h"

// Per-call cost of one HttpRequest for a 20 KB answer from a loopback server,
// against the curl command-line tool fetching the same address in the same
// run. Compare the medians: --benchmark_repetitions=9.

namespace {

// A page that declares no charset, so the result is the raw text, as the
// JSON services answer.
const vantrel::test::LoopbackServer& Server() {
    static const vantrel::test::LoopbackServer server([](const std::string&) {
        return vantrel::test::HttpReply("HTTP/1.1 200 OK", std::string(20 * 1024, 'j'),
                                        {"Content-Type: application/json"});
    });
    return server;
}

void BM_HttpRequest20K(benchmark::State& state) {
    const std::string url = Server().base() + "/api";
    for (auto _ : state) {
        std::string text = vantrel::HttpRequest({.url = url});
        if (text.size() != 20 * 1024) state.SkipWithError("short answer");
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_HttpRequest20K)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_CurlTool20K(benchmark::State& state) {
    const std::string url = Server().base() + "/api";
    RunCurlTool(state, url);
}
BENCHMARK(BM_CurlTool20K)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
