#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QColor>
#include <QImage>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/hostile_servers.h"
#include "history/history_store.h"
#include "model/source_id.h"
#include "settings/settings_file.h"
#include "settings/temp_folder.h"
#include "support/child_process.h"
#include "support/loopback_server.h"
#include "support/x_session.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kLateTitle = "LATE ANSWER ROW";

struct LogLine {
    std::string text;
    int rows = 0;
    std::string first;
};

std::string Sample(const char* name) {
    return testing::ReadFile(fs::path(VANTREL_DEMO_SAMPLES_DIR) / name);
}

// The documented Weibo list with its first title changed, so its rows can be told apart.
std::string LateDocumentedList() {
    std::string body = Sample("weibo_hot.json");
    const std::string first =
        "\\u5168\\u56fd\\u591a\\u5730\\u6c14\\u6e29\\u521b\\u4e0b\\u4eca"
        "\\u51ac\\u65b0\\u4f4e";
    for (size_t at = body.find(first); at != std::string::npos; at = body.find(first, at))
        body.replace(at, first.size(), kLateTitle);
    return body;
}

test::Reply Silent() {
    test::Reply reply;
    reply.silent = true;
    reply.end = test::Reply::End::kHang;
    return reply;
}

int CountNear(const QImage& image, const QRect& area, QColor wanted) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y) {
        for (int x = area.left(); x <= area.right() && x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - wanted.red()) + std::abs(c.green() - wanted.green()) +
                    std::abs(c.blue() - wanted.blue()) <
                60)
                ++count;
        }
    }
    return count;
}

class StartupProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        // The build folder, never the home folder of whoever runs the tests.
        home_ = fs::path(VANTREL_BINARY_DIR) / "test-data-home" /
                ("startup-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home_);
        fs::create_directories(home_);
    }
    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            test::WaitForPrograms({pid_}, Clock::now(), 10s);
        }
        if (!HasFailure()) fs::remove_all(home_);
    }

    fs::path Data() const { return home_ / "data"; }
    fs::path StatusLog() const { return home_ / "status.log"; }
    fs::path ErrorLog() const { return home_ / "stderr.txt"; }

    void Start(const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment = {}) {
        std::vector<std::string> argv{test::ProgramPath()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<std::string> changes{
            "XDG_CONFIG_HOME=" + (home_ / "config").string(), "XDG_DATA_HOME=" + Data().string(),
            "VANTREL_STATUS_LOG=" + StatusLog().string(), "QT_QPA_PLATFORM"};
        changes.insert(changes.end(), environment.begin(), environment.end());
        pid_ = test::StartProcess(argv, changes, -1, ErrorLog().string());
    }
    // Waits for the main window; empty (and a failure that says why) when none came.
    std::string WaitForWindow(int ms) {
        std::string id;
        test::WaitUntil(ms, [&] {
            id = test::ShellOutput(test::MainWindowSearch(pid_));
            return !id.empty() || test::ResidentKb(pid_) == 0;
        });
        if (id.empty()) ADD_FAILURE() << test::StartUpDiagnosis(pid_, ErrorLog().string());
        return id.substr(0, id.find('\n'));
    }
    std::vector<LogLine> Log() const {
        std::vector<LogLine> lines;
        std::ifstream in(StatusLog());
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            LogLine& parsed = lines.emplace_back();
            std::string rows;
            std::getline(fields, parsed.text, '\t');
            std::getline(fields, rows, '\t');
            std::getline(fields, parsed.first);
            parsed.rows = rows.empty() ? 0 : std::stoi(rows);
        }
        return lines;
    }
    bool Logged(const std::string& part) const {
        for (const LogLine& line : Log())
            if (line.text.find(part) != std::string::npos) return true;
        return false;
    }
    // A list of `titles` kept `ago` before now, as an earlier run kept it.
    void Keep(const std::vector<std::string>& titles, std::chrono::seconds ago, int rankBase = 1,
              const std::string& source = "weibo") {
        HistoryStore store(Data() / "vantrel" / "history.sqlite3");
        ASSERT_TRUE(store.Available()) << store.Problem();
        HistoryList list{source, std::chrono::system_clock::now() - ago, "主接口", {}};
        for (const std::string& title : titles)
            list.rows.push_back({rankBase + static_cast<int>(list.rows.size()), title, "", {}, ""});
        ASSERT_TRUE(store.Store(list).stored);
    }

    fs::path home_;
    pid_t pid_ = -1;
};

// A kept list is on screen, with its own age, before the silent service could
// have failed; the first fetch then runs and fails beside it, the rows staying.
// Baidu waits for its answer without letting events run: its window is painted
// before the wait starts.
TEST_F(StartupProgram, AKeptListShowsAtOnceWhileTheServiceIsSilent) {
    for (const SourceId source : {SourceId::kWeibo, SourceId::kBaidu}) {
        const std::string name(SOURCE_NAMES[static_cast<int>(source) - 1]);
        SCOPED_TRACE(name);
        fs::remove_all(Data());
        fs::remove(StatusLog());
        SettingsFields settings;
        settings.currentSource = source;
        ASSERT_TRUE(SaveSettingsFile(settings, home_ / "config" / "vantrel" / "kweld.ini"));
        Keep({"kept one", "kept two", "kept three"}, 3min, 1, name);
        test::LoopbackServer server([](const std::string&) { return Silent(); });
        // A time-out well beyond a slow start under the sanitizers, so that
        // the fetch is surely still waiting when the window is looked at.
        Start({"--service-base", server.base(), "--timeout", "15"});
        const std::string window = WaitForWindow(30000);
        ASSERT_FALSE(window.empty());
        // The fetch is still waiting: the window did not wait for it.
        EXPECT_FALSE(Logged("加载失败")) << "the window came only after the fetch";
        const fs::path shot = home_ / (name + ".png");
        test::ShellOutput("import -window " + window + " '" + shot.string() + "'");
        const QImage image(QString::fromStdString(shot.string()));
        EXPECT_FALSE(Logged("加载失败")) << "the fetch ended before the screenshot";
        // The kept titles are painted, in their light grey.
        if (!image.isNull()) {
            EXPECT_GT(CountNear(image, QRect(40, 120, 200, 90), QColor(0xBB, 0xBB, 0xBB)), 50)
                << shot;
        }
        const std::vector<LogLine> first = Log();
        ASSERT_FALSE(first.empty());
        EXPECT_EQ(first.front().rows, 3);
        EXPECT_EQ(first.front().first, "kept one");
        EXPECT_EQ(first.front().text.rfind("3分", 0), 0u) << first.front().text;
        EXPECT_NE(first.front().text.find("前更新"), std::string::npos) << first.front().text;

        ASSERT_TRUE(test::WaitUntil(40000, [&] { return Logged("加载失败"); }));
        const LogLine last = Log().back();
        EXPECT_EQ(last.rows, 3);
        EXPECT_EQ(last.first, "kept one");
        EXPECT_EQ(last.text.rfind("3分", 0), 0u) << last.text;
        EXPECT_NE(last.text.find("前更新 · 加载失败"), std::string::npos) << last.text;
        ::kill(pid_, SIGKILL);
        test::WaitForPrograms({pid_}, Clock::now(), 10s);
        pid_ = -1;
    }
}

// SIGTERM while the first fetch waits behind a kept list: the window goes at
// once and the program ends in order once the fetch gives up.
TEST_F(StartupProgram, TerminateWhileTheFirstFetchWaitsBehindAKeptList) {
    Keep({"kept one", "kept two"}, 1min);
    test::LoopbackServer server([](const std::string&) { return Silent(); });
    Start({"--service-base", server.base(), "--timeout", "4"});
    const std::string window = WaitForWindow(30000);
    ASSERT_FALSE(window.empty());
    ::kill(pid_, SIGTERM);
    EXPECT_TRUE(test::WaitUntil(3000, [&] {
        return test::ShellOutput(test::MainWindowSearch(pid_)).empty();
    })) << "the window stayed after the signal";
    const test::ProgramEnd end = test::WaitForPrograms({pid_}, Clock::now(), 20s)[0];
    pid_ = -1;
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.status, 0) << testing::ReadFile(ErrorLog());
    EXPECT_TRUE(fs::exists(home_ / "config" / "vantrel" / "kweld.ini"));
}

// With nothing kept the window waits for the first fetch, but the whole chain of
// requests shares one time-out: it shows within that time-out and a second.
TEST_F(StartupProgram, WithNothingKeptASilentServiceHoldsTheWindowOneTimeOutAtMost) {
    std::atomic<bool> asked{false};
    std::atomic<Clock::rep> firstRequest{0};
    test::LoopbackServer server([&](const std::string&) {
        if (!asked.exchange(true)) firstRequest = Clock::now().time_since_epoch().count();
        return Silent();
    });
    constexpr auto kTimeout = 3s;
    Start({"--service-base", server.base(), "--timeout", "3"});
    const std::string window = WaitForWindow(60000);
    ASSERT_FALSE(window.empty());
    const auto shown = Clock::now();
    ASSERT_TRUE(asked);
    const auto waited = shown - Clock::time_point(Clock::duration(firstRequest.load()));
    EXPECT_LT(waited, kTimeout + 1s)
        << std::chrono::duration_cast<std::chrono::milliseconds>(waited).count() << " ms";
    ASSERT_TRUE(test::WaitUntil(5000, [&] { return !Log().empty(); }));
    EXPECT_EQ(Log().back().text, "加载失败");
    EXPECT_EQ(Log().back().rows, 0);
}

// The documented request answers only after a fallback started beside it has won:
// the fallback's rows show, and the late answer never replaces them.
TEST_F(StartupProgram, ALateAnswerAfterTheFallbackWonNeverShows) {
    const std::string late = LateDocumentedList();
    const std::string side = Sample("weibo_side_hot.json");
    std::atomic<bool> lateSent{false};
    test::LoopbackServer server([&](const std::string& request) {
        const std::string target = test::RequestTarget(request);
        if (target.rfind("/ajax/side/hotSearch", 0) == 0)
            return test::HttpReply("HTTP/1.1 200 OK", side, {"Content-Type: application/json"});
        // The fallback fetches the site's home for its cookie first.
        if (target == "/")
            return test::HttpReply("HTTP/1.1 200 OK", "<html>ok</html>",
                                   {"Set-Cookie: SUB=visitor; Path=/"});
        if (target.rfind("/2/guest/page", 0) == 0) {
            std::this_thread::sleep_for(5s);
            lateSent = true;
            return test::HttpReply("HTTP/1.1 200 OK", late, {"Content-Type: application/json"});
        }
        return Silent();
    });
    Start({"--service-base", server.base(), "--timeout", "10"});
    ASSERT_FALSE(WaitForWindow(60000).empty());
    ASSERT_TRUE(test::WaitUntil(20000, [&] { return lateSent.load(); }));
    std::this_thread::sleep_for(1500ms);
    const std::vector<LogLine> lines = Log();
    ASSERT_FALSE(lines.empty());
    EXPECT_GT(lines.back().rows, 0);
    EXPECT_EQ(lines.back().first, "全国多地气温创下今冬新低");
    for (const LogLine& line : lines) {
        EXPECT_NE(line.first, kLateTitle) << line.text;
        EXPECT_EQ(line.text.find("加载失败"), std::string::npos) << line.text;
    }
}

// Against a kept list in another order, the demo list marks risen rows green,
// fallen ones red and new ones blue, at the right end of the title column.
TEST_F(StartupProgram, RankChangeMarkersAreDrawnBesideTheTitles) {
    if (test::ShellOutput("command -v import").empty()) GTEST_SKIP() << "no ImageMagick import";
    std::vector<std::string> titles;
    {
        const std::string printed = test::ShellOutput(
            "XDG_DATA_HOME='" + (home_ / "print-data").string() + "' XDG_CONFIG_HOME='" +
            (home_ / "config").string() + "' '" + test::ProgramPath() + "' --demo --print weibo");
        std::istringstream lines(printed);
        std::string line;
        std::getline(lines, line);  // the header
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string rank, title;
            std::getline(fields, rank, '\t');
            std::getline(fields, title, '\t');
            titles.push_back(title);
        }
    }
    ASSERT_GT(titles.size(), 8u);
    // Kept: rows 2 and 4 swapped (one rises, one falls), row 6 left out (new).
    std::vector<std::string> kept = titles;
    std::swap(kept[2], kept[4]);
    kept.erase(kept.begin() + 6);
    // Screens of twice the density draw the same marks, as sharp.
    for (const int scale : {1, 2}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        fs::remove_all(Data());
        fs::remove(StatusLog());
        Keep(kept, 2min, 0);
        Start({"--demo"}, {"QT_SCALE_FACTOR=" + std::to_string(scale)});
        const std::string window = WaitForWindow(30000);
        ASSERT_FALSE(window.empty());
        ASSERT_TRUE(test::WaitUntil(20000, [&] {
            const std::vector<LogLine> lines = Log();
            return !lines.empty() && lines.back().text.find("正在加载") == std::string::npos &&
                   lines.back().text.rfind("前更新") != std::string::npos;
        }));
        std::this_thread::sleep_for(500ms);
        // Kept in the build folder, to be looked at.
        const fs::path shot =
            fs::path(VANTREL_BINARY_DIR) / ("startup-markers-" + std::to_string(scale) + "x.png");
        test::ShellOutput("import -window " + window + " '" + shot.string() + "'");
        const QImage image(QString::fromStdString(shot.string()));
        ASSERT_FALSE(image.isNull());
        // The title column's right part, below the source buttons.
        const int top = 120 * scale;
        const QRect right(image.width() / 2, top, image.width() / 2 - 40 * scale,
                          image.height() - top - 60 * scale);
        EXPECT_GT(CountNear(image, right, QColor(0x3F, 0xBF, 0x6F)), 10 * scale) << shot;
        EXPECT_GT(CountNear(image, right, QColor(0xE5, 0x48, 0x4D)), 10 * scale) << shot;
        EXPECT_GT(CountNear(image, right, QColor(0x4E, 0xA8, 0xFF)), 10 * scale) << shot;
        // Nothing of the marks' colours on the left, where the titles start.
        const QRect left(50 * scale, top, 60 * scale, right.height());
        EXPECT_EQ(CountNear(image, left, QColor(0x3F, 0xBF, 0x6F)), 0) << shot;
        std::printf("screenshot: %s\n", shot.c_str());
        ::kill(pid_, SIGKILL);
        test::WaitForPrograms({pid_}, Clock::now(), 10s);
        pid_ = -1;
    }
}

}  // namespace
}  // namespace vantrel
