#pragma once

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

// The yardstick of the fetch benchmarks: the curl command-line tool fetching
// the same address once per iteration (a new process each time, as a user
// would run it). A failed fetch ends the benchmark with an error.
inline void RunCurlTool(benchmark::State& state, std::string url) {
    std::string noProxy = "*";
    char* argv[] = {const_cast<char*>("curl"),
                    const_cast<char*>("-s"),
                    const_cast<char*>("-f"),
                    const_cast<char*>("-o"),
                    const_cast<char*>("/dev/null"),
                    const_cast<char*>("--noproxy"),
                    noProxy.data(),
                    url.data(),
                    nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("curl not found");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("curl failed");
            break;
        }
    }
}
