#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "history/history_store.h"
#include "synthetic_history.h"

// Thirty days of four sources, one list a minute each, made once and kept
// in the temporary folder (regenerated when missing); each run works on a copy.

namespace {

namespace fs = std::filesystem;
using vantrel::HistoryList;
using vantrel::HistoryStore;
using vantrel::HistoryTime;

constexpr int kDays = 30;
// 2026-11-01 00:00 UTC: the month the database covers begins here.
const HistoryTime kStart = std::chrono::sys_days{std::chrono::year{2026} / 11 / 1};
const HistoryTime kEnd = kStart + std::chrono::hours(24 * kDays);

const fs::path kCached = fs::temp_directory_path() / "vantrel-history-bench-30d-v3.sqlite3";
const fs::path kWorking = fs::temp_directory_path() /
                          ("vantrel-history-bench-" + std::to_string(::getpid()) + ".sqlite3");

void MakeCachedDatabase() {
    if (fs::exists(kCached)) return;
    const fs::path partial = fs::path(kCached) += ".partial";
    fs::remove(partial);
    {
        HistoryStore store(partial, false);
        vantrel::bench::SyntheticBoards boards(kStart);
        for (int day = 0; day < kDays; ++day) {
            std::vector<HistoryList> lists;
            for (int minute = 0; minute < 24 * 60; ++minute) {
                for (HistoryList& list : boards.NextMinute())
                    lists.push_back(std::move(list));
            }
            if (!store.StoreAll(lists)) {
                std::fprintf(stderr, "storing day %d failed: %s\n", day, store.Problem().c_str());
                std::exit(1);
            }
            std::fprintf(stderr, "\rday %d of %d stored", day + 1, kDays);
        }
        std::fprintf(stderr, "\n");
    }
    fs::rename(partial, kCached);
}

std::unique_ptr<HistoryStore> store;

HistoryStore& Store() {
    return *store;
}

// The next list of a source: its latest with two neighbours swapped and the
// hot values moved, a minute later.
HistoryList NextList(HistoryList list, int turn) {
    list.fetchedAt += std::chrono::minutes(1);
    const size_t at = 1 + static_cast<size_t>(turn * 7) % (list.rows.size() - 2);
    std::swap(list.rows[at].rank, list.rows[at + 1].rank);
    std::swap(list.rows[at], list.rows[at + 1]);
    for (vantrel::HistoryRow& row : list.rows)
        row.hot = row.hot.value_or(0) + turn % 13;
    return list;
}

void BM_StoreOneList(benchmark::State& state) {
    std::vector<HistoryList> latest = Store().LatestLists();
    int turn = 0;
    for (auto _ : state) {
        HistoryList& list = latest[turn % latest.size()];
        list = NextList(std::move(list), turn++);
        const auto begin = std::chrono::steady_clock::now();
        const bool stored = Store().Store(list).stored;
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        if (!stored) state.SkipWithError("not stored");
    }
}
BENCHMARK(BM_StoreOneList)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(200)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_StartUpReadOfFourLists(benchmark::State& state) {
    for (auto _ : state) {
        if (Store().LatestLists().size() != 4) state.SkipWithError("lists missing");
    }
}
BENCHMARK(BM_StartUpReadOfFourLists)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// Opening the file as the program starts, with and without reading every page.
void BM_OpenStore(benchmark::State& state) {
    for (auto _ : state) {
        HistoryStore store(kWorking, state.range(0) != 0);
        if (!store.Available()) state.SkipWithError("not available");
    }
}
BENCHMARK(BM_OpenStore)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_TopicSeries30Days(benchmark::State& state) {
    for (auto _ : state) {
        const auto series =
            Store().Series(vantrel::bench::kEvergreen, kEnd - std::chrono::hours(24 * kDays), kEnd);
        if (series.size() != 4) state.SkipWithError("series missing");
    }
}
BENCHMARK(BM_TopicSeries30Days)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_TopicSeries24Hours(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            Store().Series(vantrel::bench::kEvergreen, kEnd - std::chrono::hours(24), kEnd));
}
BENCHMARK(BM_TopicSeries24Hours)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_HistorySummaries24Hours(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(Store().Summaries("weibo", kEnd - std::chrono::hours(24), kEnd));
}
BENCHMARK(BM_HistorySummaries24Hours)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_TodayTable(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(Store().Today("weibo", kEnd));
}
BENCHMARK(BM_TodayTable)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// Once: the daily prune of the oldest day.
void BM_PruneOneDay(benchmark::State& state) {
    for (auto _ : state) {
        if (!Store().Prune(kDays - 1, kEnd)) state.SkipWithError("prune failed");
    }
}
BENCHMARK(BM_PruneOneDay)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    MakeCachedDatabase();
    fs::copy_file(kCached, kWorking, fs::copy_options::overwrite_existing);
    const double megabytes = static_cast<double>(fs::file_size(kCached)) / (1 << 20);
    std::printf("30-day database (%s): %.1f MB\n", kCached.c_str(), megabytes);
    benchmark::Initialize(&argc, argv);
    benchmark::AddCustomContext("database_mb", std::to_string(megabytes));
    store = std::make_unique<HistoryStore>(kWorking);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    store.reset();
    for (const char* suffix : {"", "-wal", "-shm"})
        fs::remove(fs::path(kWorking) += suffix);
    return 0;
}
