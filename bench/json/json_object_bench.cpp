#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "../in_turns.h"
#include "json/json_object.h"
#include "net/code_page.h"

#ifdef VANTREL_HAVE_NLOHMANN
#include <nlohmann/json.hpp>
#endif

// The JSON object reading a whole Weibo answer beside a plain parser reading
// the same values out of the same bytes, in one run: compare the medians of
// ReadWeiboList and PlainReadFloor, or the counters of ReadBesideFloor.

namespace {

// The answer as it comes off the wire (UTF-8).
const std::string& WeiboBytes() {
    static const std::string bytes = [] {
        std::ifstream in(VANTREL_TEST_DATA_DIR "/json/weibo_page.json", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }();
    return bytes;
}

// The answer as the Weibo source hands it to the JSON object: local text.
const std::string& WeiboAnswer() {
    static const std::string answer = vantrel::Utf8ToLocal(WeiboBytes());
    return answer;
}

// What the list source once did with one answer, one value at a time:
// Create, Load, the count and 100 path reads.
bool ReadWeiboListOnce() {
    vantrel::JsonObject json = vantrel::JsonObject::Create();
    vantrel::JsonError error;
    const bool loaded = json.Load(WeiboAnswer(), false, error, false);
    int count = json.GetCount("cards[0]['card_group']");
    for (int i = 0; i < count; ++i) {
        std::string row = "cards[0]['card_group'][" + std::to_string(i) + "]";
        benchmark::DoNotOptimize(json.GetText(row + ".desc", false));
        benchmark::DoNotOptimize(json.GetText(row + ".icon", false));
    }
    json.Destroy();
    return loaded;
}

void BM_ReadWeiboList(benchmark::State& state) {
    for (auto _ : state) {
        if (!ReadWeiboListOnce()) state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_ReadWeiboList)->Unit(benchmark::kMicrosecond)->Repetitions(5);

// The same values as the list source reads them now: the array in one script.
void BM_ReadWeiboListInOneScript(benchmark::State& state) {
    for (auto _ : state) {
        vantrel::JsonObject json = vantrel::JsonObject::Create();
        vantrel::JsonError error;
        if (!json.Load(WeiboAnswer(), false, error, false)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(json.GetElementTexts("cards[0]['card_group']", {"desc", "icon"}));
        json.Destroy();
    }
}
BENCHMARK(BM_ReadWeiboListInOneScript)->Unit(benchmark::kMicrosecond)->Repetitions(5);

#ifdef VANTREL_HAVE_NLOHMANN
// The floor: a plain parse of the same bytes and the same values read out.
bool PlainReadOnce() {
    nlohmann::json json = nlohmann::json::parse(WeiboBytes(), nullptr, false);
    const nlohmann::json& group = json["cards"][0]["card_group"];
    for (const nlohmann::json& row : group) {
        benchmark::DoNotOptimize(row.value("desc", std::string()));
        benchmark::DoNotOptimize(row.value("icon", std::string()));
    }
    return !json.is_discarded();
}

void BM_PlainReadFloor(benchmark::State& state) {
    for (auto _ : state)
        PlainReadOnce();
}
BENCHMARK(BM_PlainReadFloor)->Unit(benchmark::kMicrosecond)->Repetitions(5);

// The one-by-one read and the floor in turns (see InTurns).
void BM_ReadBesideFloor(benchmark::State& state) {
    InTurns(state, "read", ReadWeiboListOnce, "floor", PlainReadOnce);
}
BENCHMARK(BM_ReadBesideFloor)->Unit(benchmark::kMicrosecond)->Iterations(2000);
#endif

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

// The same path again and again: after the first read its compiled form is kept.
void BM_OnePathRead(benchmark::State& state) {
    vantrel::JsonObject json = vantrel::JsonObject::Create();
    vantrel::JsonError error;
    json.Load(WeiboAnswer(), false, error, false);
    for (auto _ : state) {
        benchmark::DoNotOptimize(json.GetText("cards[0]['card_group'][25].desc", false));
    }
}
BENCHMARK(BM_OnePathRead)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
