#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "settings/settings_file.h"
#include "support/x_session.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = VANTREL_BINARY_DIR "/vantrel";
constexpr int kWidth = 308;
constexpr int kHeight = 542;
constexpr int kScreenHeight = 1080;

struct Place {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The real program under a window manager, started with docking on; every
// service request goes to the loopback discard port, where nothing answers.
class EdgeDocking : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(x_.Start(1920, kScreenHeight)) << "Xvfb with openbox did not start";
        config_ = fs::temp_directory_path() / ("vantrel-docking-" + std::to_string(::getpid()));
        fs::remove_all(config_);
        SettingsFields fields;
        fields.dockToEdge = true;
        ASSERT_TRUE(SaveSettingsFile(fields, config_ / "vantrel" / "kweld.ini"));
        pid_ = x_.Launch({kProgram, "--service-base", "http://127.0.0.1:9"},
                         {"XDG_CONFIG_HOME=" + config_.string(), "QT_QPA_PLATFORM=xcb"});
        ASSERT_TRUE(test::WaitUntil(20000, [this] {
            id_ = x_.Run("xdotool search --all --onlyvisible --pid " + std::to_string(pid_) +
                         " --name '^Vantrel$' 2>/dev/null | head -1");
            return !id_.empty();
        })) << "no window";
        id_.erase(id_.find_last_not_of("\n ") + 1);
    }
    void TearDown() override {
        if (pid_ > 0) test::StopProcess(pid_, SIGTERM);
        fs::remove_all(config_);
    }

    Place Where() const {
        Place place;
        std::istringstream shell(x_.Run("xdotool getwindowgeometry --shell " + id_));
        for (std::string line; std::getline(shell, line);) {
            const auto value = [&](const char* key) {
                return line.rfind(key, 0) == 0 ? std::stoi(line.substr(std::string(key).size()))
                                               : -1;
            };
            if (line.rfind("X=", 0) == 0) place.x = value("X=");
            if (line.rfind("Y=", 0) == 0) place.y = value("Y=");
            if (line.rfind("WIDTH=", 0) == 0) place.width = value("WIDTH=");
            if (line.rfind("HEIGHT=", 0) == 0) place.height = value("HEIGHT=");
        }
        return place;
    }

    // Waits for the window's top to reach `top`; returns the last one seen.
    int TopBecomes(int top) const {
        int seen = 0;
        test::WaitUntil(5000, [&] { return (seen = Where().y) == top; });
        return seen;
    }

    // Waits for the window manager to show the always-on-top state wanted;
    // it sets the state after the window has moved.
    bool AboveBecomes(bool above) const {
        return test::WaitUntil(5000, [&] {
            const std::string state = x_.Run("xprop -id " + id_ + " _NET_WM_STATE");
            return (state.find("_NET_WM_STATE_ABOVE") != std::string::npos) == above;
        });
    }

    void Pointer(int x, int y) const {
        x_.Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
    }

    // Presses on the window's title row and lets go with the pointer at (x, y),
    // the way a user drags the window.
    void DragTitleTo(int x, int y) const {
        const Place from = Where();
        Pointer(from.x + 150, from.y + 30);
        x_.Run("xdotool mousedown 1");
        for (int step = 1; step <= 8; ++step) {
            Pointer(from.x + 150 + (x - from.x - 150) * step / 8,
                    from.y + 30 + (y - from.y - 30) * step / 8);
        }
        x_.Run("xdotool mouseup 1");
    }

    test::XSession x_;
    fs::path config_;
    pid_t pid_ = -1;
    std::string id_;
};

TEST_F(EdgeDocking, HidesAtTheTopAndBottomEdgesAndComesBackAtTheStrip) {
    const Place start = Where();
    ASSERT_EQ(start.height, kHeight);
    const int x = start.x;

    DragTitleTo(x + 150, 25);  // the top 5 pixels above the edge
    Pointer(400, 700);
    EXPECT_EQ(TopBecomes(2 - kHeight), 2 - kHeight);
    EXPECT_EQ(Where().x, x);
    Pointer(x + 100, 1);  // onto the strip
    EXPECT_EQ(TopBecomes(0), 0);

    DragTitleTo(x + 150, 1050);  // the bottom well into the lowest 30 rows
    EXPECT_EQ(TopBecomes(kScreenHeight - kHeight - 30), kScreenHeight - kHeight - 30);
    Pointer(400, 200);
    EXPECT_EQ(TopBecomes(kScreenHeight - 2), kScreenHeight - 2);
    // Hidden below the screen it stays on top, so the strip can be reached.
    EXPECT_TRUE(AboveBecomes(true));
    Pointer(x + 100, kScreenHeight - 1);
    EXPECT_EQ(TopBecomes(kScreenHeight - kHeight - 30), kScreenHeight - kHeight - 30);
    EXPECT_TRUE(AboveBecomes(false));
}

// The PNG's size from its header chunk; 0 x 0 when it is no PNG.
std::pair<int, int> PngSize(const std::string& png) {
    if (png.size() < 24 || png.compare(1, 3, "PNG") != 0) return {0, 0};
    const auto word = [&](std::size_t at) {
        int value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value << 8 | static_cast<unsigned char>(png[at + i]);
        return value;
    };
    return {word(16), word(20)};
}

TEST_F(EdgeDocking, DoubleClickPutsAPictureOfTheWindowOnTheClipboard) {
    const Place at = Where();
    const std::string read = "xclip -selection clipboard -t image/png -o 2>/dev/null";
    EXPECT_EQ(PngSize(x_.Run(read)), std::make_pair(0, 0));  // nothing there yet

    Pointer(at.x + 150, at.y + 30);
    x_.Run("xdotool click --repeat 2 --delay 60 1");
    std::string png;
    EXPECT_TRUE(test::WaitUntil(5000, [&] { return !(png = x_.Run(read)).empty(); }));
    EXPECT_EQ(PngSize(png), std::make_pair(kWidth, kHeight));

    // Another window takes the focus; the picture stays on offer.
    const pid_t other =
        x_.Launch({"xmessage", "-name", "vantrel-other", "-geometry", "+10+700", "other"});
    EXPECT_TRUE(test::WaitUntil(5000, [&] {
        return !x_.Run("xdotool search --classname vantrel-other 2>/dev/null").empty();
    }));
    x_.Run(
        "xdotool search --classname vantrel-other"
        " | head -1 | xargs -r xdotool windowactivate --sync");
    EXPECT_EQ(PngSize(x_.Run(read)), std::make_pair(kWidth, kHeight));
    test::StopProcess(other, SIGTERM);
}

}  // namespace
}  // namespace vantrel
