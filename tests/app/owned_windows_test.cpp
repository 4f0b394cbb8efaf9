#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "support/x_session.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = VANTREL_BINARY_DIR "/vantrel";

std::string FirstLine(std::string text) {
    text = text.substr(0, text.find('\n'));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The real program under openbox with always-on-top on and the Douyin list
// first, from the demo server.
class OwnedWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        if (test::ShellOutput(
                "for p in Xvfb openbox xdotool xprop; do command -v $p; done | wc -l") != "4\n")
            GTEST_SKIP() << "needs Xvfb, openbox, xdotool and xprop";
        ASSERT_TRUE(x_.Start()) << "Xvfb with openbox did not start";
        config_ = fs::temp_directory_path() / ("vantrel-owned-" + std::to_string(::getpid()));
        fs::remove_all(config_);
        SettingsFields fields;
        fields.alwaysOnTop = true;
        fields.currentSource = SourceId::kDouyin;
        ASSERT_TRUE(SaveSettingsFile(fields, config_ / "vantrel" / "kweld.ini"));
        // The media backend leaves allocations behind in unloaded plugins.
        pid_ = x_.Launch(
            {kProgram, "--demo"},
            {"XDG_CONFIG_HOME=" + config_.string(), "XDG_DATA_HOME=" + (config_ / "data").string(),
             "QT_QPA_PLATFORM=xcb", "ASAN_OPTIONS=abort_on_error=0:detect_leaks=0"});
        ASSERT_TRUE(test::WaitUntil(30000, [this] {
            main_ = FirstLine(x_.Run(test::MainWindowSearch(pid_)));
            return !main_.empty();
        })) << "no window";
        ASSERT_TRUE(test::WaitUntil(5000, [this] { return Above(main_); }))
            << "the main window is not always on top";
    }
    void TearDown() override {
        if (pid_ > 0) test::StopProcess(pid_, SIGTERM);
        fs::remove_all(config_);
    }

    // The shown window of the program with this title. xdotool's own name
    // match does not hold for Chinese titles: the names are compared here.
    std::string Window(const std::string& title) const {
        return FirstLine(x_.Run("for w in $(xdotool search --all --onlyvisible --pid " +
                                std::to_string(pid_) +
                                " --name ''); do [ \"$(xdotool getwindowname $w)\" = '" + title +
                                "' ] && echo $w; done"));
    }

    bool Above(const std::string& window) const {
        return x_.Run("xprop -id " + window + " _NET_WM_STATE").find("_NET_WM_STATE_ABOVE") !=
               std::string::npos;
    }

    // Whether the window manager stacks `upper` above `lower`.
    bool StackedAbove(const std::string& upper, const std::string& lower) const {
        std::string list = x_.Run("xprop -root _NET_CLIENT_LIST_STACKING");
        list = list.substr(list.find('#') + 1);
        std::vector<unsigned long> bottomToTop;
        std::istringstream ids(list);
        for (std::string id; std::getline(ids, id, ',');)
            bottomToTop.push_back(std::stoul(id, nullptr, 16));
        auto place = [&](const std::string& window) {
            const unsigned long id = std::stoul(window);
            for (size_t i = 0; i < bottomToTop.size(); ++i)
                if (bottomToTop[i] == id) return static_cast<int>(i);
            return -1;
        };
        const int up = place(upper), low = place(lower);
        return up >= 0 && low >= 0 && up > low;
    }

    void Click(const std::string& window, int x, int y, int clicks = 1) const {
        x_.Run("xdotool mousemove --window " + window + " " + std::to_string(x) + " " +
               std::to_string(y) + " click --repeat " + std::to_string(clicks) + " --delay 80 1");
    }

    // Clicks the main window where there is no control, which activates it,
    // and waits for the window manager to make it the active window; returns
    // the active window then.
    std::string ActivateMain() const {
        Click(main_, 150, 45);
        std::string active;
        test::WaitUntil(
            5000, [&] { return (active = FirstLine(x_.Run("xdotool getactivewindow"))) == main_; });
        return active;
    }

    int MainWindowWidth() const {
        const std::string geometry = x_.Run("xdotool getwindowgeometry " + main_);
        const auto at = geometry.find("Geometry: ");
        return at == std::string::npos ? 308 : std::stoi(geometry.substr(at + 10));
    }

    test::XSession x_;
    fs::path config_;
    pid_t pid_ = -1;
    std::string main_;
};

TEST_F(OwnedWindows, StayAboveTheirAlwaysOnTopOwner) {
    Click(main_, 225, 28);  // the gear
    std::string settings;
    ASSERT_TRUE(test::WaitUntil(10000, [&] { return !(settings = Window("设置")).empty(); }));
    // "总在最前" off, then on again: the main window comes up, always on top.
    const int switchX = 23 + 229 + 28, switchY = 184 + 48 + 12;
    Click(settings, switchX, switchY);
    ASSERT_TRUE(test::WaitUntil(5000, [&] { return !Above(main_); }));
    Click(settings, switchX, switchY);
    ASSERT_TRUE(test::WaitUntil(5000, [&] { return Above(main_); }));
    EXPECT_TRUE(test::WaitUntil(5000, [&] { return StackedAbove(settings, main_); }));
    EXPECT_EQ(ActivateMain(), main_);
    EXPECT_TRUE(StackedAbove(settings, main_));

    Click(settings, 380 - 35 + 8, 20 + 8);  // its close button
    ASSERT_TRUE(test::WaitUntil(5000, [&] { return Window("设置").empty(); }));

    // A Douyin row opens the video window.
    std::string video;
    ASSERT_TRUE(test::WaitUntil(20000, [&] {
        Click(main_, 150, 140);
        return !(video = Window("抖音播放界面")).empty();
    }));
    ASSERT_TRUE(Above(main_));
    EXPECT_TRUE(test::WaitUntil(5000, [&] { return StackedAbove(video, main_); }));
    EXPECT_EQ(ActivateMain(), main_);
    EXPECT_TRUE(StackedAbove(video, main_));
}

TEST_F(OwnedWindows, HistoryWindowOpensFromTheClockAndTheKeyAboveItsOwner) {
    Click(main_, MainWindowWidth() - 119 + 8, 28);  // the clock left of the gear
    std::string history;
    ASSERT_TRUE(test::WaitUntil(10000, [&] { return !(history = Window("历史")).empty(); }));
    EXPECT_TRUE(test::WaitUntil(5000, [&] { return StackedAbove(history, main_); }));
    EXPECT_EQ(ActivateMain(), main_);
    EXPECT_TRUE(StackedAbove(history, main_));
    Click(history, 600 - 35 + 8, 20 + 8);  // its close button
    ASSERT_TRUE(test::WaitUntil(5000, [&] { return Window("历史").empty(); }));

    // H on the row under the pointer.
    x_.Run("xdotool mousemove --window " + main_ + " 150 170 sleep 0.3 key h");
    EXPECT_TRUE(test::WaitUntil(10000, [&] { return !Window("历史").empty(); }));
}

}  // namespace
}  // namespace vantrel
