#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

#include "app/hostile_servers.h"
#include "support/x_session.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr long kMostMemoryKb = 400 * 1024;

int VisibleWindows(pid_t pid) {
    std::istringstream ids(test::ShellOutput("xdotool search --onlyvisible --pid " +
                                             std::to_string(pid) + " 2>/dev/null"));
    int count = 0;
    for (std::string id; ids >> id;)
        ++count;
    return count;
}

class HostileWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        config_ = fs::temp_directory_path() / ("vantrel-hostile-win-" + std::to_string(::getpid()));
        fs::create_directories(config_);
    }
    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            test::WaitForPrograms({pid_}, std::chrono::steady_clock::now(), 10s);
        }
        fs::remove_all(config_);
    }
    bool Running() const { return test::ResidentKb(pid_) > 0; }
    void Click(int x, int y) {
        test::ShellOutput("xdotool mousemove --window " + window_ + " " + std::to_string(x) + " " +
                          std::to_string(y) + " click 1");
    }
    void Hover(int x, int y) {
        test::ShellOutput("xdotool mousemove --window " + window_ + " " + std::to_string(x) + " " +
                          std::to_string(y));
    }

    fs::path config_;
    pid_t pid_ = -1;
    std::string window_;
};

// One window lives through every kind of server on every source: it neither
// crashes nor grows without bound, and while a slow answer is awaited by a
// routine that lets events run, the window still answers the pointer.
TEST_F(HostileWindow, SurvivesEveryKindOfServerOnEverySource) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    std::atomic<size_t> current{1};
    const auto& kinds = test::HostileKinds();
    test::LoopbackServer server(
        [&](const std::string& request) { return kinds[current.load()].reply(request); });
    const auto started = std::chrono::steady_clock::now();
    const fs::path errorLog = config_ / "stderr.txt";
    pid_ = test::StartProgram({"--service-base", server.base(), "--timeout",
                               std::to_string(test::kHostileTimeoutSeconds)},
                              config_.string(), errorLog.string());
    // Generous: under the sanitizers, beside the parallel print runs, a
    // start-up has taken over 20 s.
    test::WaitUntil(60000, [&] {
        window_ = test::ShellOutput(test::MainWindowSearch(pid_));
        return !window_.empty() || !Running();
    });
    ASSERT_FALSE(window_.empty()) << (Running() ? "no window yet; " : "the program ended; ")
                                  << test::StartUpDiagnosis(pid_, errorLog.string());
    window_ = window_.substr(0, window_.find('\n'));
    const auto slowFetch = test::kDeadline + 1s;
    // Start-up's own fetch meets the first kind.
    std::this_thread::sleep_for(slowFetch);

    for (size_t k = 1; k < kinds.size(); ++k) {
        current = k;
        for (const test::ListSource& source : test::ListSources()) {
            SCOPED_TRACE(std::string(source.name) + " against " + kinds[k].name);
            const size_t before = server.requests().size();
            Click(source.buttonX, source.buttonY);
            EXPECT_TRUE(test::WaitUntil(15000, [&] { return server.requests().size() > before; }));
            if (kinds[k].slow && source.pumped) {
                const int windows = VisibleWindows(pid_);
                Hover(225, 28);  // the settings button shows its tip
                EXPECT_TRUE(test::WaitUntil(3000, [&] { return VisibleWindows(pid_) > windows; }))
                    << "the window did not answer the pointer while it waited";
                Hover(60, 30);
            }
            if (kinds[k].slow) std::this_thread::sleep_for(slowFetch);
            ASSERT_TRUE(Running()) << "the program is gone";
        }
        EXPECT_LT(test::ResidentKb(pid_), kMostMemoryKb) << kinds[k].name;
    }
    ::kill(pid_, SIGTERM);
    const test::ProgramEnd end =
        test::WaitForPrograms({pid_}, std::chrono::steady_clock::now(), 20s)[0];
    pid_ = -1;
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.status, 0);
    EXPECT_LT(end.maxRssKb, kMostMemoryKb);
    std::printf("window run: %lld s, at most %ld KiB resident\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(
                                           std::chrono::steady_clock::now() - started)
                                           .count()),
                end.maxRssKb);
}

}  // namespace
}  // namespace vantrel
