#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

// Two pieces of work timed in turns, once each per iteration, each going
// first in every other round: on a shared machine whose speed swings from
// one second to the next, both then meet the same load, and the ratio of
// their medians means something even when a separate run's would not.
// Counters: "<first>_us" and "<second>_us" (medians) and "ratio". A piece
// that returns false ends the benchmark with an error.
template <typename First, typename Second>
void InTurns(benchmark::State& state, const std::string& firstName, First first,
             const std::string& secondName, Second second) {
    std::vector<double> firsts, seconds;
    bool firstGoesFirst = true;
    for (auto _ : state) {
        double took[2] = {0, 0};
        bool ok = true;
        for (int turn = 0; turn < 2; ++turn) {
            const int piece = (turn == 0) == firstGoesFirst ? 0 : 1;
            const auto start = std::chrono::steady_clock::now();
            ok = (piece == 0 ? first() : second()) && ok;
            took[piece] =
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                    .count();
        }
        firstGoesFirst = !firstGoesFirst;
        if (!ok) {
            state.SkipWithError("a piece of the pair failed");
            return;
        }
        firsts.push_back(took[0]);
        seconds.push_back(took[1]);
    }
    const auto median = [](std::vector<double> samples) {
        std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
        return samples[samples.size() / 2];
    };
    if (firsts.empty()) return;
    state.counters[firstName + "_us"] = median(firsts);
    state.counters[secondName + "_us"] = median(seconds);
    state.counters["ratio"] = median(firsts) / median(seconds);
}
