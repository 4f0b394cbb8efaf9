#include <gtest/gtest.h>

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fstream>
#include <iterator>

#include "settings/settings_file.h"
#include "support/child_process.h"
#include "support/loopback_server.h"
#include "support/x_session.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = VANTREL_BINARY_DIR "/vantrel";

// A service base where every connection is refused.
std::string RefusedBase() {
    return "http://127.0.0.1:" + std::to_string(test::ClosedPort());
}

// Polls until `probe` gives a non-empty text or about `seconds` have passed.
std::string WaitFor(const std::string& command, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        const std::string text = test::ShellOutput(command);
        if (!text.empty()) return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {};
}

class Program : public ::testing::Test {
  protected:
    void SetUp() override {
        config_ = fs::temp_directory_path() / ("vantrel-program-" + std::to_string(::getpid()));
        fs::remove_all(config_);
        fs::create_directories(config_);
    }
    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        fs::remove_all(config_);
    }

    // Starts the program and waits for its window; returns the window id, or
    // empty after reporting what the program left to see.
    std::string StartAndFind(const std::vector<std::string>& arguments,
                             const std::vector<std::string>& environment = {}) {
        Start(arguments, environment);
        const std::string id = WaitFor(WindowSearch(), 30);
        if (id.empty()) ADD_FAILURE() << test::StartUpDiagnosis(pid_, ErrorLog().string());
        return id;
    }

    void Start(const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment = {}) {
        std::vector<std::string> argv{kProgram};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        // The window keeps its lists too: in this test's folder, so no other run sees them.
        std::vector<std::string> changes{"XDG_CONFIG_HOME=" + config_.string(),
                                         "XDG_DATA_HOME=" + (config_ / "data").string(),
                                         "QT_QPA_PLATFORM"};
        changes.insert(changes.end(), environment.begin(), environment.end());
        pid_ = test::StartProcess(argv, changes, -1, ErrorLog().string());
    }

    fs::path ErrorLog() const { return config_ / "stderr.txt"; }

    // Sends the signal and returns the exit status, or -1 when it did not end normally.
    int Stop(int signal) {
        ::kill(pid_, signal);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string WindowSearch() const { return test::MainWindowSearch(pid_); }

    fs::path config_;
    pid_t pid_ = -1;
};

TEST_F(Program, HelpAndBadOptionsNeverOpenAWindow) {
    int status = -1;
    const std::string usage = test::ShellOutput(kProgram + " --help", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(usage.find("--service-base"), std::string::npos);
    test::ShellOutput(kProgram + " --no-such-option 2>/dev/null", &status);
    EXPECT_EQ(status, 2);
    test::ShellOutput(kProgram + " --service-base ftp://127.0.0.1:1 2>/dev/null", &status);
    EXPECT_EQ(status, 2);
}

TEST_F(Program, DemoFallbackPrintsTheFallbackListsAndTellsWhichRequestAnswered) {
    int status = -1;
    const std::string douyin = test::ShellOutput(
        kProgram + " --demo=fallback --print douyin --format json --verbose 2>&1", &status);
    EXPECT_EQ(status, 0) << douyin;
    EXPECT_NE(douyin.find("\"title\": \"雪地里的冬日vlog\""), std::string::npos) << douyin;
    EXPECT_NE(douyin.find("\"request\": \"备用接口1\""), std::string::npos);
    EXPECT_NE(douyin.find("抖音 · 备用接口1 · "), std::string::npos);
    EXPECT_NE(douyin.find("上次失败：HTTP 503 · 主接口 · "), std::string::npos);
    const std::string weibo =
        test::ShellOutput(kProgram + " --demo=fallback --print weibo", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::count(weibo.begin(), weibo.end(), '\n'), 51) << weibo;
}

TEST_F(Program, OpensAtTheTopRightAndSavesSettingsOnTerminate) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    const std::string id = StartAndFind({"--service-base", RefusedBase()});
    ASSERT_FALSE(id.empty()) << "no window named Vantrel";

    int screenWidth = 0, screenHeight = 0;
    std::istringstream(test::ShellOutput("xdotool getdisplaygeometry")) >> screenWidth >>
        screenHeight;
    const std::string geometry = test::ShellOutput("xdotool getwindowgeometry " + id);
    std::ostringstream position, size;
    position << "Position: " << screenWidth - 308 - 20 << ",20";
    EXPECT_NE(geometry.find(position.str()), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("Geometry: 308x542"), std::string::npos) << geometry;
    // No taskbar button at first start.
    EXPECT_NE(
        test::ShellOutput("xprop -id " + id + " _NET_WM_STATE").find("_NET_WM_STATE_SKIP_TASKBAR"),
        std::string::npos);

    const fs::path settings = config_ / "vantrel" / "kweld.ini";
    EXPECT_FALSE(fs::exists(settings));  // nothing is written while the program runs
    EXPECT_EQ(Stop(SIGTERM), 0);
    const SettingsFileRead read = LoadSettingsFile(settings);
    EXPECT_EQ(read.state, SettingsFileState::kLoaded);
    EXPECT_EQ(read.fields.currentSource, SourceId::kWeibo);
}

std::string Fixture(const std::string& name, bool absolute = false) {
    std::ifstream in(absolute ? name : std::string(VANTREL_DEMO_SAMPLES_DIR) + "/" + name,
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The share of bright red-orange pixels in the rank column of the first rows:
// the rank markers and orange numbers of a filled list, none in an empty one.
double RankColumnMarkerShare(std::string window) {
    while (!window.empty() && (window.back() == '\n' || window.back() == ' '))
        window.pop_back();
    int x = 0, y = 0;
    std::istringstream shell(test::ShellOutput("xdotool getwindowgeometry --shell " + window));
    for (std::string line; std::getline(shell, line);) {
        if (line.rfind("X=", 0) == 0) x = std::stoi(line.substr(2));
        if (line.rfind("Y=", 0) == 0) y = std::stoi(line.substr(2));
    }
    // The window's own visual cannot always be read; the screen's can.
    const std::string area = "30x120+" + std::to_string(x + 12) + "+" + std::to_string(y + 125);
    const std::string mean =
        test::ShellOutput("import -window root -crop " + area +
                          " png:- | convert png:- -channel R -separate -threshold 60% "
                          "-format '%[fx:mean]' info:");
    return mean.empty() ? 0 : std::stod(mean);
}

TEST_F(Program, EachSourceButtonFetchesAndFillsTheList) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    // Only the source named by `serving` answers, so a filled list after a
    // click can only come from that click's fetch.
    struct Source {
        const char* path;
        const char* file;
        int buttonX;
    };
    const std::vector<Source> sources = {
        {"/2/guest/page", "weibo_hot.json", 45},
        {"/board", "baidu_board.html", 117},
        {"/api/suggest_words/", "toutiao_words.json", 189},
        {"/aweme/v1/creator/data/billboard/", "douyin_billboard.json", 262}};
    std::atomic<int> serving{-1};
    test::LoopbackServer server([&](const std::string& request) {
        const int n = serving.load();
        if (n >= 0 && test::RequestTarget(request).rfind(sources[n].path, 0) == 0) {
            return test::HttpReply("HTTP/1.1 200 OK", Fixture(sources[n].file));
        }
        return test::HttpReply("HTTP/1.1 404 Not Found", "");
    });
    const std::string id = StartAndFind({"--service-base", server.base()});
    ASSERT_FALSE(id.empty()) << "no window named Vantrel";
    // Start-up's Weibo fetch got a 404: the list is empty. A slow build may map
    // the window before it first paints, so wait for the painted empty list.
    double empty = 1;
    for (int i = 0; i < 100 && empty >= 0.15; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        empty = RankColumnMarkerShare(id);
    }
    EXPECT_LT(empty, 0.15);

    for (size_t n = 0; n < sources.size(); ++n) {
        serving = static_cast<int>(n);
        test::ShellOutput("xdotool mousemove --window " + id.substr(0, id.find('\n')) + " " +
                          std::to_string(sources[n].buttonX) + " 76 click 1");
        double share = 0;
        for (int i = 0; i < 50 && share < empty + 0.2; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            share = RankColumnMarkerShare(id);
        }
        EXPECT_GE(share, empty + 0.2) << sources[n].file;
        // A fetch empties the list before it asks, so with the request seen the
        // rows on screen are this source's.
        const auto requests = server.requests();
        EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [&](const std::string& r) {
            return test::RequestTarget(r).rfind(sources[n].path, 0) == 0;
        })) << sources[n].path;
    }
    EXPECT_EQ(Stop(SIGTERM), 0);
}

TEST_F(Program, InterruptClosesInTheSameOrderlyWay) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    ASSERT_FALSE(StartAndFind({"--service-base", RefusedBase()}).empty());
    EXPECT_EQ(Stop(SIGINT), 0);
    EXPECT_TRUE(fs::exists(config_ / "vantrel" / "kweld.ini"));
}

TEST_F(Program, TerminateDuringTheFirstFetchEndsTheProgramBeforeItsWindowShows) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    // Start-up's Weibo answer trickles in over about two seconds.
    test::Reply slow = test::HttpReply("HTTP/1.1 200 OK", std::string(40, ' ') + "{}");
    slow.dripChunk = 8;
    slow.dripDelay = std::chrono::milliseconds(120);
    test::LoopbackServer server([&](const std::string&) { return slow; });
    Start({"--service-base", server.base()});
    for (int i = 0; i < 150 && server.requests().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_FALSE(server.requests().empty()) << "start-up asked for nothing";
    ::kill(pid_, SIGTERM);

    int status = -1;
    bool shown = false;
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        shown = shown || !test::ShellOutput(WindowSearch()).empty();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_EQ(pid_, -1) << "still running 20 s after the signal";
    EXPECT_FALSE(shown) << "the window showed after the signal";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const SettingsFileRead read = LoadSettingsFile(config_ / "vantrel" / "kweld.ini");
    EXPECT_EQ(read.state, SettingsFileState::kLoaded);
    EXPECT_EQ(read.fields.currentSource, SourceId::kWeibo);
}

// The pointer clicks at a place inside a window, as a user would.
void ClickAt(const std::string& window, int x, int y, int clicks = 1) {
    test::ShellOutput("xdotool mousemove --window " + window + " " + std::to_string(x) + " " +
                      std::to_string(y) + " click --repeat " + std::to_string(clicks) +
                      " --delay 80 1");
}

TEST_F(Program, SettingsWindowTurnsOnStartWithLoginAndTheCloseButtonKeepsIt) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    std::string id = StartAndFind({"--service-base", RefusedBase()});
    ASSERT_FALSE(id.empty());
    id = id.substr(0, id.find('\n'));
    // The gear button of the 308-pixel wide window.
    ClickAt(id, 225, 28);
    // xdotool's own name match does not hold for Chinese titles: compare the names.
    const std::string settingsSearch = "for w in $(xdotool search --all --onlyvisible --pid " +
                                       std::to_string(pid_) +
                                       " --name ''); do [ \"$(xdotool getwindowname $w)\" = "
                                       "'设置' ] && echo $w; done | head -1";
    std::string settings = WaitFor(settingsSearch, 10);
    ASSERT_FALSE(settings.empty()) << "no settings window";
    settings = settings.substr(0, settings.find('\n'));
    // "滑动按钮EX7": its group's corner (23, 184) plus its own place (228, 80), then its middle.
    ClickAt(settings, 23 + 228 + 28, 184 + 80 + 12);
    const fs::path entry = config_ / "autostart" / "Sorvane.desktop";
    for (int i = 0; i < 50 && !fs::exists(entry); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(fs::exists(entry));
    std::ifstream in(entry);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("\nExec=" + fs::canonical(kProgram).string() + "\n"), std::string::npos)
        << text;

    // The main window's close button ends the program, which writes the settings.
    ClickAt(id, 281, 28);
    int status = -1;
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_EQ(pid_, -1) << "the program did not end";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const SettingsFileRead read = LoadSettingsFile(config_ / "vantrel" / "kweld.ini");
    ASSERT_EQ(read.state, SettingsFileState::kLoaded);
    EXPECT_TRUE(read.fields.launchAtStartup);
    EXPECT_TRUE(fs::exists(entry));
}

// The window of the started program with this exact title; empty when none is
// shown. Without --all, xdotool takes a window matching any one of the criteria.
std::string ShownWindow(pid_t pid, const std::string& title) {
    std::string id =
        test::ShellOutput("xdotool search --all --onlyvisible --pid " + std::to_string(pid) +
                          " --name '^" + title + "$' 2>/dev/null | head -1");
    while (!id.empty() && id.back() == '\n')
        id.pop_back();
    return id;
}

struct Patch {
    int x, y, width, height;
};

// Distinct colours on the screen in a patch of the window.
int ColoursIn(const std::string& window, const Patch& patch) {
    int left = 0, top = 0;
    std::istringstream shell(test::ShellOutput("xdotool getwindowgeometry --shell " + window));
    for (std::string line; std::getline(shell, line);) {
        if (line.rfind("X=", 0) == 0) left = std::stoi(line.substr(2));
        if (line.rfind("Y=", 0) == 0) top = std::stoi(line.substr(2));
    }
    const std::string area = std::to_string(patch.width) + "x" + std::to_string(patch.height) +
                             "+" + std::to_string(left + patch.x) + "+" +
                             std::to_string(top + patch.y);
    const std::string count = test::ShellOutput("import -window root -crop " + area +
                                                " png:- | convert png:- -format '%k' info:");
    return count.empty() ? 0 : std::atoi(count.c_str());
}

template <typename Probe>
bool WaitUntil(Probe probe, int seconds) {
    for (int i = 0; i < seconds * 10 && !probe(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return probe();
}

// Puts an "xdg-open" first on the program's PATH that writes each link it is
// given as a line of `record`; returns the environment change that does it.
std::string RecordingOpener(const fs::path& folder, const fs::path& record) {
    fs::create_directories(folder);
    const fs::path script = folder / "xdg-open";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << record.string() << "'\n";
    fs::permissions(script, fs::perms::owner_all);
    const char* path = std::getenv("PATH");
    return "PATH=" + folder.string() + ":" + (path ? path : "/usr/bin:/bin");
}

std::vector<std::string> Lines(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(Program, ADoubleClickedRowOpensItsLinkOnce) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    const fs::path opened = config_ / "opened.txt";
    const std::string id = StartAndFind({"--demo"}, {RecordingOpener(config_ / "bin", opened)});
    ASSERT_FALSE(id.empty()) << "no window named Vantrel";
    const std::string mainId = id.substr(0, id.find('\n'));
    ASSERT_TRUE(WaitUntil([&] { return RankColumnMarkerShare(mainId) > 0.2; }, 20))
        << "the Weibo list never showed";

    ClickAt(mainId, 150, 140, 2);
    ASSERT_TRUE(WaitUntil([&] { return !Lines(opened).empty(); }, 10)) << "nothing was opened";
    // The second click would have come 80 ms after the first.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const std::vector<std::string> links = Lines(opened);
    ASSERT_EQ(links.size(), 1u) << links.back();
    EXPECT_NE(links[0].find("/weibo/"), std::string::npos) << links[0];

    // A click after the double-click's time is a new activation.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ClickAt(mainId, 150, 140);
    EXPECT_TRUE(WaitUntil([&] { return Lines(opened).size() == 2; }, 10));
    EXPECT_EQ(Stop(SIGTERM), 0);
}

// Driven like a user against the demo server: the Douyin button, a double-click
// on a row, the download button, the close button.
TEST_F(Program, ADoubleClickedDouyinRowPlaysAndTheVideoDownloads) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    const fs::path data = config_ / "data";
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    // The media backend's plugins leave a few allocations behind at exit inside
    // modules already unloaded, which no suppression can name; memory errors
    // are still caught in this run.
    ::setenv("ASAN_OPTIONS", "abort_on_error=0:detect_leaks=0", 1);
    const std::string main = StartAndFind({"--demo"});
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("ASAN_OPTIONS");
    ASSERT_FALSE(main.empty()) << "no window named Vantrel";
    const std::string mainId = main.substr(0, main.find('\n'));
    ClickAt(mainId, 262, 76);  // "抖音"
    std::string video;
    // Once the list has filled, a double-click on a row opens the video window.
    ASSERT_TRUE(WaitUntil(
        [&] {
            ClickAt(mainId, 150, 140, 2);
            return !(video = ShownWindow(pid_, "抖音播放界面")).empty();
        },
        20));
    // Frames in "图片框1": many colours where the black frame was.
    int colours = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            return (colours = ColoursIn(video, {23, 50, 260, 462})) > 50;
        },
        20))
        << colours;

    ClickAt(video, 323, 444);  // "超级按钮EX_下载"
    const fs::path folder = data / "vantrel" / "抖音视频";
    fs::path saved;
    EXPECT_TRUE(WaitUntil(
        [&] {
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(folder, error))
                if (entry.path().extension() == ".mp4") saved = entry.path();
            return !saved.empty();
        },
        20));
    EXPECT_TRUE(!saved.empty() && Fixture(saved.string(), true) == Fixture("demo_video.mp4"));
    if (const char* out = std::getenv("VANTREL_SCREENSHOT"))
        test::ShellOutput("import -window " + video + " " + out);

    // Closing it destroys the window; the program goes on.
    ClickAt(video, 340, 25);
    EXPECT_TRUE(WaitUntil([&] { return ShownWindow(pid_, "抖音播放界面").empty(); }, 10));
    EXPECT_EQ(Stop(SIGTERM), 0);
}

}  // namespace
}  // namespace vantrel
