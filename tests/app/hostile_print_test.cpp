#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "app/hostile_servers.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// What starting and ending the program may add to a request's deadline on a
// busy machine, under the sanitizers too.
constexpr auto kStartAndEnd = 8s;
// Far above any run that keeps to its deadline and its body cap; only then
// are the programs killed.
constexpr auto kLongestRun = 120s;
// The 64 MiB body cap and what is made of the body; a program that kept
// 100 MB and its copies would pass this many times over.
constexpr long kMostMemoryKb = 400 * 1024;

class HostilePrint : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        config_ = fs::temp_directory_path() / ("vantrel-hostile-" + std::to_string(::getpid()));
        fs::create_directories(config_);
    }
    void TearDown() override { fs::remove_all(config_); }
    fs::path config_;
};

// What --print owes each kind of server: 2 when no answer came, 1 when one came
// that fills nothing. A body broken off (by the server, the size cap or the
// deadline) is no answer for the sources whose routine reports the broken
// read, and an answer for the others. Never a crash, never a hang past the
// deadline.
int ExpectedStatus(const test::HostileKind& kind, const test::ListSource& source) {
    const std::string name = kind.name;
    if (kind.refuses || name == "never answer") return 2;
    if (name == "reset mid-body" || name == "drip" || name == "redirect to itself" ||
        name == "100 MB")
        return source.pumped ? 2 : 1;
    return 1;
}

TEST_P(HostilePrint, EveryKindOfServerEndsInTimeWithTheDocumentedStatus) {
    const test::ListSource& source = test::ListSources()[GetParam()];
    const auto& kinds = test::HostileKinds();
    std::vector<std::unique_ptr<test::LoopbackServer>> servers;
    std::vector<pid_t> pids;
    const auto started = std::chrono::steady_clock::now();
    // All kinds at once: the slow ones set the pace.
    for (const test::HostileKind& kind : kinds) {
        std::string base = "http://127.0.0.1:" + std::to_string(test::ClosedPort());
        if (!kind.refuses) {
            servers.push_back(std::make_unique<test::LoopbackServer>(kind.reply));
            base = servers.back()->base();
        }
        pids.push_back(
            test::StartProgram({"--print", source.name, "--service-base", base, "--timeout",
                                std::to_string(test::kHostileTimeoutSeconds)},
                               config_.string()));
    }
    const auto ends = test::WaitForPrograms(pids, started, kLongestRun);
    for (size_t k = 0; k < kinds.size(); ++k) {
        const test::ProgramEnd& end = ends[k];
        SCOPED_TRACE(std::string(source.name) + " against " + kinds[k].name);
        EXPECT_TRUE(end.exited) << "killed, crashed or still running after " << end.took.count()
                                << " ms";
        EXPECT_EQ(end.status, ExpectedStatus(kinds[k], source));
        // A source's whole chain of requests shares the one time-out.
        if (kinds[k].slow) {
            EXPECT_LT(end.took, std::chrono::seconds(test::kHostileTimeoutSeconds) + kStartAndEnd);
        }
        EXPECT_LT(end.maxRssKb, kMostMemoryKb);
        std::printf("%-8s %-20s status %2d %6lld ms %7ld KiB\n", source.name, kinds[k].name,
                    end.status, static_cast<long long>(end.took.count()), end.maxRssKb);
    }
    // Printing reads the settings file only; it never writes one.
    EXPECT_FALSE(fs::exists(config_ / "vantrel" / "kweld.ini"));
}

INSTANTIATE_TEST_SUITE_P(Sources, HostilePrint, ::testing::Range(0, 4),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(test::ListSources()[info.param].name);
                         });

}  // namespace
}  // namespace vantrel
