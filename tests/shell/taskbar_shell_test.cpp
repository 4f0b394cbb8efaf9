#include "shell/taskbar_shell.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ewmh.h"
#include "support/qt_app.h"

namespace vantrel {
namespace {

// Polls with events running until the condition holds or five seconds pass.
bool WaitUntil(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 5000) return false;
        QTest::qWait(20);
    }
    return true;
}

class TaskbarShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        c_ = ewmh::Connection();
        if (!c_) GTEST_SKIP() << "needs an X display";
        ASSERT_FALSE(ewmh::WindowManagerRuns(c_))
            << "the test display already has a window manager";
    }
    void TearDown() override {
        if (openbox_ > 0) {
            ::kill(openbox_, SIGTERM);
            ::waitpid(openbox_, nullptr, 0);
            WaitUntil([this] { return !ewmh::WindowManagerRuns(c_); });
        }
    }

    void StartWindowManager() {
        openbox_ = ::fork();
        if (openbox_ == 0) {
            ::execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_TRUE(WaitUntil([this] { return ewmh::WindowManagerRuns(c_); }));
        // Openbox names its check window before it takes in new windows.
        QTest::qWait(1000);
    }

    // A shown top-level window the window manager has taken in.
    void Show(QWidget& window, const QString& title) {
        window.setWindowTitle(title);
        window.resize(200, 120);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 20000));
    }

    TaskbarShell::Window Id(QWidget& window) {
        return static_cast<TaskbarShell::Window>(window.winId());
    }

    TaskbarShell::Window ActiveWindow() {
        const auto active = ewmh::Property32(c_, ewmh::Root(c_),
                                             ewmh::Atom(c_, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
        return active.empty() ? 0 : active.front();
    }

    xcb_connection_t* c_ = nullptr;
    pid_t openbox_ = -1;
    TaskbarShell shell_;
};

TEST_F(TaskbarShellTest, TabsAndActivationGoThroughTheWindowManager) {
    StartWindowManager();
    QWidget first;
    QWidget second;
    Show(first, QStringLiteral("first"));
    Show(second, QStringLiteral("second"));
    ASSERT_TRUE(WaitUntil([&] { return ewmh::IsManaged(c_, Id(first)); }));

    EXPECT_TRUE(shell_.DeleteTab(Id(first)));
    EXPECT_TRUE(WaitUntil([&] { return ewmh::HasSkipTaskbar(c_, Id(first)); }));
    EXPECT_TRUE(shell_.AddTab(Id(first)));
    EXPECT_TRUE(WaitUntil([&] { return !ewmh::HasSkipTaskbar(c_, Id(first)); }));
    EXPECT_FALSE(ewmh::HasSkipTaskbar(c_, Id(second)));

    EXPECT_TRUE(shell_.ActivateTab(Id(first)));
    EXPECT_TRUE(WaitUntil([&] { return ActiveWindow() == Id(first); }));
    EXPECT_TRUE(shell_.SetActiveAlt(Id(second)));
    EXPECT_TRUE(WaitUntil([&] { return ActiveWindow() == Id(second); }));

    EXPECT_TRUE(shell_.ToggleDesktop());
    const xcb_atom_t showing = ewmh::Atom(c_, "_NET_SHOWING_DESKTOP");
    auto showingDesktop = [&] {
        const auto value = ewmh::Property32(c_, ewmh::Root(c_), showing, XCB_ATOM_CARDINAL);
        return !value.empty() && value.front() == 1;
    };
    EXPECT_TRUE(WaitUntil(showingDesktop));
    EXPECT_TRUE(shell_.ToggleDesktop());
    EXPECT_TRUE(WaitUntil([&] { return !showingDesktop(); }));

    EXPECT_TRUE(shell_.MinimizeAll());
    EXPECT_TRUE(WaitUntil([&] { return !first.isVisible() || first.isMinimized(); }));
    EXPECT_TRUE(shell_.UndoMinimizeALL());
    EXPECT_TRUE(WaitUntil([&] { return first.isVisible() && !first.isMinimized(); }));
}

TEST_F(TaskbarShellTest, PanelIsFoundWithItsEdgeAndHeight) {
    StartWindowManager();
    QWidget panel;
    panel.setGeometry(0, 1050, 1920, 30);
    panel.winId();
    const xcb_window_t id = Id(panel);
    const xcb_atom_t dock = ewmh::Atom(c_, "_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, id, ewmh::Atom(c_, "_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 1, &dock);
    const std::uint32_t strut[12] = {0, 0, 0, 30, 0, 0, 0, 0, 0, 0, 0, 1919};
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, id, ewmh::Atom(c_, "_NET_WM_STRUT_PARTIAL"),
                        XCB_ATOM_CARDINAL, 32, 12, strut);
    xcb_flush(c_);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel, 20000));

    EXPECT_EQ(shell_.FindTaskbar(), id);
    TaskbarShell::Rect rect;
    EXPECT_EQ(shell_.GetTaskbarRect(rect), 1);
    EXPECT_EQ(rect.top, 1050);
    EXPECT_EQ(rect.bottom, 1080);
    EXPECT_EQ(shell_.GetTaskbarEdge(), 3);
    EXPECT_EQ(shell_.TaskbarHeight(), 30);
    EXPECT_EQ(shell_.HideTaskbar(), 1);
    EXPECT_TRUE(WaitUntil([&] { return shell_.HideTaskbar() == 0; }));
    EXPECT_EQ(shell_.ShowTaskbar(), 0);
    EXPECT_TRUE(WaitUntil([&] { return shell_.ShowTaskbar() == 1; }));
}

// Without a window manager a panel sits where it asks to, so its place can
// stand in for a strut it does not set.
class PanelEdgeTest : public TaskbarShellTest {
  protected:
    void Panel(QWidget& panel, int x, int y, int width, int height) {
        panel.setGeometry(x, y, width, height);
        panel.winId();
        const xcb_atom_t dock = ewmh::Atom(c_, "_NET_WM_WINDOW_TYPE_DOCK");
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, Id(panel),
                            ewmh::Atom(c_, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &dock);
        xcb_flush(c_);
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel, 20000));
        ASSERT_TRUE(WaitUntil([&] {
            TaskbarShell::Rect rect;
            return shell_.GetTaskbarRect(rect) == 1 && rect.left == x && rect.top == y &&
                   rect.right == x + width && rect.bottom == y + height;
        }));
    }
    void SetStrut(QWidget& panel, const char* property, std::vector<std::uint32_t> values) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, Id(panel), ewmh::Atom(c_, property),
                            XCB_ATOM_CARDINAL, 32, static_cast<std::uint32_t>(values.size()),
                            values.data());
        xcb_flush(c_);
    }
    int Width() const { return xcb_setup_roots_iterator(xcb_get_setup(c_)).data->width_in_pixels; }
    int Height() const {
        return xcb_setup_roots_iterator(xcb_get_setup(c_)).data->height_in_pixels;
    }
};

// Edges: 0 left, 1 top, 2 right, 3 bottom; the strut lists left, right, top,
// bottom.
TEST_F(PanelEdgeTest, TheStrutNamesTheEdgeElseThePanelsPlaceDoes) {
    QWidget panel;
    Panel(panel, 0, Height() - 30, Width(), 30);
    EXPECT_EQ(shell_.GetTaskbarEdge(), 3);  // no strut: low and wide

    const std::vector<std::pair<std::vector<std::uint32_t>, int>> struts = {
        {{30, 0, 0, 0}, 0}, {{0, 30, 0, 0}, 2}, {{0, 0, 30, 0}, 1}, {{0, 0, 0, 30}, 3}};
    for (const auto& [strut, edge] : struts) {
        std::vector<std::uint32_t> partial = strut;
        partial.resize(12, 0);
        SetStrut(panel, "_NET_WM_STRUT_PARTIAL", partial);
        EXPECT_EQ(shell_.GetTaskbarEdge(), edge) << "partial " << edge;
    }
    // The older four-value strut counts when there is no partial one.
    xcb_delete_property(c_, Id(panel), ewmh::Atom(c_, "_NET_WM_STRUT_PARTIAL"));
    for (const auto& [strut, edge] : struts) {
        SetStrut(panel, "_NET_WM_STRUT", strut);
        EXPECT_EQ(shell_.GetTaskbarEdge(), edge) << "strut " << edge;
    }
    // A strut that reserves nothing leaves it to the place; values past the
    // first four are no edges.
    SetStrut(panel, "_NET_WM_STRUT", {0, 0, 0, 0});
    EXPECT_EQ(shell_.GetTaskbarEdge(), 3);
    SetStrut(panel, "_NET_WM_STRUT_PARTIAL", {0, 0, 0, 0, 5, 5, 5, 5, 5, 5, 5, 5});
    EXPECT_EQ(shell_.GetTaskbarEdge(), 3);
}

TEST_F(PanelEdgeTest, APanelWithoutStrutIsPlacedByItsShapeAndSide) {
    const int w = Width(), h = Height();
    struct Place {
        int x, y, width, height, edge;
    };
    for (const Place& p : {Place{0, 0, w, 30, 1}, Place{0, h - 30, w, 30, 3}, Place{0, 0, 40, h, 0},
                           Place{w - 40, 0, 40, h, 2}, Place{0, 0, 60, 60, 1}}) {
        QWidget panel;
        Panel(panel, p.x, p.y, p.width, p.height);
        EXPECT_EQ(shell_.GetTaskbarEdge(), p.edge) << p.x << "," << p.y;
    }
}

TEST_F(TaskbarShellTest, WithoutWindowManagerOrPanelNothingBlocksOrPretends) {
    QWidget window;
    Show(window, QStringLiteral("alone"));
    // The state lives in the property a window manager would read at its start.
    EXPECT_TRUE(shell_.DeleteTab(Id(window)));
    EXPECT_TRUE(ewmh::HasSkipTaskbar(c_, Id(window)));
    EXPECT_TRUE(shell_.AddTab(Id(window)));
    EXPECT_FALSE(ewmh::HasSkipTaskbar(c_, Id(window)));

    EXPECT_FALSE(shell_.AddTab(0));
    EXPECT_FALSE(shell_.ActivateTab(Id(window)));
    EXPECT_FALSE(shell_.SetActiveAlt(Id(window)));
    EXPECT_FALSE(shell_.ToggleDesktop());
    EXPECT_FALSE(shell_.MinimizeAll());
    EXPECT_FALSE(shell_.UndoMinimizeALL());
    EXPECT_EQ(shell_.FindTaskbar(), 0u);
    TaskbarShell::Rect rect{1, 2, 3, 4};
    EXPECT_EQ(shell_.GetTaskbarRect(rect), 0);
    EXPECT_EQ(rect.bottom, 0);
    EXPECT_EQ(shell_.GetTaskbarEdge(), -1);
    EXPECT_EQ(shell_.TaskbarHeight(), 0);
    EXPECT_EQ(shell_.HideTaskbar(), 0);
    EXPECT_FALSE(shell_.IsTaskbarAutoHide());
    EXPECT_FALSE(shell_.StopHotkey());
    // A key that no keyboard has returns at once instead of waiting forever.
    shell_.WaitHotkey(TaskbarShell::MOD_CONTROL, 0xFF, [] {});
}

TEST_F(TaskbarShellTest, HotkeyRunsTheRoutineOncePerPressUntilStopped) {
    int presses = 0;
    auto press = [] { ASSERT_EQ(std::system("xdotool key ctrl+alt+k"), 0); };
    QTimer::singleShot(100, press);
    QTimer::singleShot(300, press);
    QTimer::singleShot(700, [this] { EXPECT_TRUE(shell_.StopHotkey()); });
    shell_.WaitHotkey(TaskbarShell::MOD_CONTROL | TaskbarShell::MOD_ALT, 'K', [&] { ++presses; });
    EXPECT_EQ(presses, 2);
    EXPECT_FALSE(shell_.StopHotkey());
    // The key is free again once the wait is over.
    QTimer::singleShot(100, press);
    QTimer::singleShot(400, [this] { shell_.StopHotkey(); });
    int again = 0;
    shell_.WaitHotkey(TaskbarShell::MOD_CONTROL | TaskbarShell::MOD_ALT, 'K', [&] { ++again; });
    EXPECT_EQ(again, 1);
}

// Caps Lock and Num Lock on, alone or together, never keep the hotkey from
// running; xdotool presses keep the server's lock state.
TEST_F(TaskbarShellTest, HotkeyRunsWhateverLocksAreOn) {
    int presses = 0;
    auto press = [](const char* locks) {
        const std::string keys = std::string(locks) + " ctrl+alt+k " + locks;
        ASSERT_EQ(std::system(("xdotool key " + keys).c_str()), 0);
    };
    QTimer::singleShot(100, [&] { press("Num_Lock"); });
    QTimer::singleShot(300, [&] { press("Caps_Lock"); });
    QTimer::singleShot(500, [&] { press("Num_Lock Caps_Lock"); });
    QTimer::singleShot(900, [this] { shell_.StopHotkey(); });
    shell_.WaitHotkey(TaskbarShell::MOD_CONTROL | TaskbarShell::MOD_ALT, 'K', [&] { ++presses; });
    EXPECT_EQ(presses, 3);
}

// A key at the server's lowest keycode is found like any other: F24 is put
// there alone for the test, and pressed by its name.
TEST_F(TaskbarShellTest, HotkeyOnTheLowestKeycodeRuns) {
    const xcb_setup_t* setup = xcb_get_setup(c_);
    const xcb_keycode_t lowest = setup->min_keycode;
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> map(
        xcb_get_keyboard_mapping_reply(c_, xcb_get_keyboard_mapping(c_, lowest, 1), nullptr),
        &std::free);
    ASSERT_TRUE(map);
    const int perCode = map->keysyms_per_keycode;
    const xcb_keysym_t* was = xcb_get_keyboard_mapping_keysyms(map.get());
    const std::vector<xcb_keysym_t> original(was, was + perCode);
    const std::vector<xcb_keysym_t> f24(perCode, 0xFFD5);
    auto remap = [&](const std::vector<xcb_keysym_t>& syms) {
        xcb_change_keyboard_mapping(c_, 1, lowest, static_cast<std::uint8_t>(perCode), syms.data());
        std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));  // a round trip
    };
    remap(f24);
    int presses = 0;
    QTimer::singleShot(200, [] { ASSERT_EQ(std::system("xdotool key ctrl+alt+F24"), 0); });
    QTimer::singleShot(600, [this] { shell_.StopHotkey(); });
    shell_.WaitHotkey(TaskbarShell::MOD_CONTROL | TaskbarShell::MOD_ALT, 0x87, [&] { ++presses; });
    remap(original);
    EXPECT_EQ(presses, 1);
}

}  // namespace
}  // namespace vantrel
