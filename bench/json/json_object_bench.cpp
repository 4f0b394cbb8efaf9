#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "json/json_object.h"
#include "net/code_page.h"

#ifdef VANTREL_HAVE_NLOHMANN
#include <nlohmann/json.hpp>
#endif

namespace {

// The answer as the Weibo source holds it: converted to local text.
const std::string& WeiboAnswer() {
    static const std::string answer = [] {
        std::ifstream in(VANTREL_TEST_DATA_DIR "/json/weibo_page.json", std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return vantrel::Utf8ToLocal(bytes.str());
    }();
    return answer;
}

// What the list source does with one answer.
void BM_ReadWeiboList(benchmark::State& state) {
    for (auto _ : state) {
        vantrel::JsonObject json = vantrel::JsonObject::Create();
        vantrel::JsonError error;
        if (!json.Load(WeiboAnswer(), false, error, false)) state.SkipWithError("load failed");
        int count = json.GetCount("cards[0]['card_group']");
        for (int i = 0; i < count; ++i) {
            std::string row = "cards[0]['card_group'][" + std::to_string(i) + "]";
            benchmark::DoNotOptimize(json.GetText(row + ".desc", false));
            benchmark::DoNotOptimize(json.GetText(row + ".icon", false));
        }
        json.Destroy();
    }
}
BENCHMARK(BM_ReadWeiboList)->Unit(benchmark::kMicrosecond);

void BM_Create(benchmark::State& state) {
    for (auto _ : state) {
        vantrel::JsonObject json = vantrel::JsonObject::Create();
        benchmark::DoNotOptimize(json.GetEngine());
    }
}
BENCHMARK(BM_Create)->Unit(benchmark::kMicrosecond);

void BM_CreateAndLoad(benchmark::State& state) {
    for (auto _ : state) {
        vantrel::JsonObject json = vantrel::JsonObject::Create();
        vantrel::JsonError error;
        benchmark::DoNotOptimize(json.Load(WeiboAnswer(), false, error, false));
    }
}
BENCHMARK(BM_CreateAndLoad)->Unit(benchmark::kMicrosecond);

void BM_OnePathRead(benchmark::State& state) {
    vantrel::JsonObject json = vantrel::JsonObject::Create();
    vantrel::JsonError error;
    json.Load(WeiboAnswer(), false, error, false);
    for (auto _ : state) {
        benchmark::DoNotOptimize(json.GetText("cards[0]['card_group'][25].desc", false));
    }
}
BENCHMARK(BM_OnePathRead)->Unit(benchmark::kMicrosecond);

#ifdef VANTREL_HAVE_NLOHMANN
void BM_PlainParseFloor(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(nlohmann::json::parse(WeiboAnswer()));
    }
}
BENCHMARK(BM_PlainParseFloor)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

BENCHMARK_MAIN();
