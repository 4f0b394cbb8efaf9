#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = VANTREL_BINARY_DIR "/vantrel";

std::string Output(const std::string& command) {
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        text += buffer;
    ::pclose(pipe);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

template <typename Probe>
bool WaitUntil(Probe probe, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        if (probe()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return probe();
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The real program with its demo server, driven like a user: the Douyin
// button, a double-click on a row, the download button.
class VideoProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        home_ = fs::temp_directory_path() / ("vantrel-video-" + std::to_string(::getpid()));
        fs::remove_all(home_);
        fs::create_directories(home_);
    }
    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        fs::remove_all(home_);
    }
    void Start() {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
            ::setenv("XDG_DATA_HOME", (home_ / "data").c_str(), 1);
            ::unsetenv("QT_QPA_PLATFORM");
            ::execl(kProgram.c_str(), kProgram.c_str(), "--demo", static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    std::string Window(const char* name) const {
        return Output("xdotool search --onlyvisible --pid " + std::to_string(pid_) + " --name '^" +
                      name + "$' 2>/dev/null | head -1");
    }
    static void ClickAt(const std::string& window, int x, int y, int clicks = 1) {
        Output("xdotool mousemove --window " + window + " " + std::to_string(x) + " " +
               std::to_string(y) + " click --repeat " + std::to_string(clicks) +
               " --delay 80 1");
    }
    // Distinct colours in a patch of the screen where the window shows it.
    static int ColoursAt(const std::string& window, int x, int y, int w, int h) {
        std::istringstream shell(Output("xdotool getwindowgeometry --shell " + window));
        int left = 0, top = 0;
        for (std::string line; std::getline(shell, line);) {
            if (line.rfind("X=", 0) == 0) left = std::stoi(line.substr(2));
            if (line.rfind("Y=", 0) == 0) top = std::stoi(line.substr(2));
        }
        const std::string area = std::to_string(w) + "x" + std::to_string(h) + "+" +
                                 std::to_string(left + x) + "+" + std::to_string(top + y);
        const std::string count =
            Output("import -window root -crop " + area + " png:- | convert png:- -format '%k' info:");
        return count.empty() ? 0 : std::stoi(count);
    }

    fs::path home_;
    pid_t pid_ = -1;
};

TEST_F(VideoProgram, ADoubleClickedDouyinRowPlaysAndTheVideoDownloads) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    Start();
    std::string main;
    ASSERT_TRUE(WaitUntil([&] { return !(main = Window("Vantrel")).empty(); }, 20));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ClickAt(main, 262, 76);  // "抖音"
    std::string video;
    // The list fills from the demo server; a double-click on a row opens the window.
    ASSERT_TRUE(WaitUntil(
        [&] {
            ClickAt(main, 150, 140, 2);
            return !(video = Window("抖音播放界面")).empty();
        },
        20));
    // Frames in the video area: many colours, and they change.
    int colours = 0;
    EXPECT_TRUE(WaitUntil([&] { return (colours = ColoursAt(video, 23, 50, 260, 462)) > 50; }, 20))
        << colours;

    ClickAt(video, 323, 444);  // "超级按钮EX_下载"
    const fs::path folder = home_ / "data" / "vantrel" / "抖音视频";
    fs::path saved;
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (!fs::is_directory(folder)) return false;
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.path().extension() == ".mp4") saved = entry.path();
            return !saved.empty();
        },
        20));
    EXPECT_TRUE(ReadAll(saved) ==
                ReadAll(std::string(VANTREL_TEST_DATA_DIR) + "/sources/demo_video.mp4"));
    if (const char* out = std::getenv("VANTREL_SCREENSHOT"))
        Output("import -window " + video + " " + out);

    // The close button destroys the window; the program goes on.
    ClickAt(video, 340, 25);
    EXPECT_TRUE(WaitUntil([&] { return Window("抖音播放界面").empty(); }, 10));
    EXPECT_FALSE(Window("Vantrel").empty());
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace vantrel
