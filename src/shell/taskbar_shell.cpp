#include "shell/taskbar_shell.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>

#include "platform/ewmh.h"

namespace vantrel {

namespace {

using ewmh::Atom;

constexpr std::uint32_t kSourceApplication = 1;
constexpr std::uint32_t kSourcePager = 2;
constexpr std::uint32_t kIconicState = 3;

xcb_connection_t* ConnectionFor(TaskbarShell::Window window) {
    xcb_connection_t* c = ewmh::Connection();
    return c && ewmh::WindowExists(c, window) ? c : nullptr;
}

bool RequestActive(TaskbarShell::Window window, std::uint32_t source) {
    xcb_connection_t* c = ConnectionFor(window);
    if (!c || !ewmh::WindowManagerRuns(c)) return false;
    ewmh::SendToRoot(c, window, Atom(c, "_NET_ACTIVE_WINDOW"), {source, XCB_CURRENT_TIME, 0, 0, 0});
    return true;
}

bool SetSkipTaskbar(TaskbarShell::Window window, bool skip) {
    xcb_connection_t* c = ConnectionFor(window);
    if (!c) return false;
    ewmh::SetSkipTaskbar(c, window, skip, ewmh::IsManaged(c, window));
    return true;
}

bool HasType(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type) {
    const auto types = ewmh::Property32(c, window, Atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM);
    return std::find(types.begin(), types.end(), type) != types.end();
}

// Windows the window manager lists, then the root's children and theirs (a
// panel may run without a window manager, or sit inside a frame).
std::vector<xcb_window_t> CandidateWindows(xcb_connection_t* c) {
    std::vector<xcb_window_t> windows =
        ewmh::Property32(c, ewmh::Root(c), Atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    std::vector<xcb_window_t> level{ewmh::Root(c)};
    for (int depth = 0; depth < 2; ++depth) {
        std::vector<xcb_window_t> next;
        for (xcb_window_t parent : level) {
            std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
                xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr), &std::free);
            if (!tree) continue;
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            next.insert(next.end(), children,
                        children + xcb_query_tree_children_length(tree.get()));
        }
        windows.insert(windows.end(), next.begin(), next.end());
        level = std::move(next);
    }
    return windows;
}

std::optional<TaskbarShell::Rect> PanelRect(xcb_connection_t* c, xcb_window_t panel) {
    const auto rect = ewmh::RootRect(c, panel);
    if (!rect) return std::nullopt;
    return TaskbarShell::Rect{(*rect)[0], (*rect)[1], (*rect)[2], (*rect)[3]};
}

int ScreenHeight(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->height_in_pixels;
}

// Maps or unmaps the panel; 1 when it was visible before, as ShowWindow says.
int MapPanel(TaskbarShell::Window panel, bool map) {
    xcb_connection_t* c = ewmh::Connection();
    if (!c || panel == 0) return 0;
    auto* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, panel), nullptr);
    const bool wasVisible = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    if (map) {
        xcb_map_window(c, panel);
    } else {
        xcb_unmap_window(c, panel);
    }
    xcb_flush(c);
    return wasVisible ? 1 : 0;
}

// Windows virtual-key codes to X keysyms, for the keys a hotkey is made of.
std::optional<xcb_keysym_t> KeysymOf(int virtualKey) {
    if ((virtualKey >= '0' && virtualKey <= '9') || virtualKey == ' ') return virtualKey;
    if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey - 'A' + 'a';
    if (virtualKey >= 0x70 && virtualKey <= 0x87) return 0xFFBE + (virtualKey - 0x70);  // F1..F24
    if (virtualKey >= 0x60 && virtualKey <= 0x69) return 0xFFB0 + (virtualKey - 0x60);  // keypad
    struct Pair {
        int key;
        xcb_keysym_t keysym;
    };
    static constexpr Pair kNamed[] = {
        {0x08, 0xFF08}, {0x09, 0xFF09}, {0x0D, 0xFF0D}, {0x1B, 0xFF1B}, {0x21, 0xFF55},
        {0x22, 0xFF56}, {0x23, 0xFF57}, {0x24, 0xFF50}, {0x25, 0xFF51}, {0x26, 0xFF52},
        {0x27, 0xFF53}, {0x28, 0xFF54}, {0x2C, 0xFF61}, {0x2D, 0xFF63}, {0x2E, 0xFFFF},
    };
    for (const Pair& pair : kNamed) {
        if (pair.key == virtualKey) return pair.keysym;
    }
    return std::nullopt;
}

xcb_keycode_t KeycodeOf(xcb_connection_t* c, xcb_keysym_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> map(
        xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, setup->min_keycode, static_cast<std::uint8_t>(count)),
            nullptr),
        &std::free);
    if (!map) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
    const int perCode = map->keysyms_per_keycode;
    for (int code = 0; code < count; ++code) {
        for (int column = 0; column < std::min(perCode, 2); ++column) {
            if (syms[code * perCode + column] == keysym)
                return static_cast<xcb_keycode_t>(setup->min_keycode + code);
        }
    }
    return 0;
}

std::uint16_t ModifierMask(int modifiers) {
    std::uint16_t mask = 0;
    if (modifiers & TaskbarShell::MOD_ALT) mask |= XCB_MOD_MASK_1;
    if (modifiers & TaskbarShell::MOD_CONTROL) mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & TaskbarShell::MOD_SHIFT) mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & TaskbarShell::MOD_WIN) mask |= XCB_MOD_MASK_4;
    return mask;
}

// Caps Lock and Num Lock must not keep a hotkey from working.
constexpr std::uint16_t kLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                           XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

void Ungrab(xcb_connection_t* c, xcb_keycode_t key, std::uint16_t mask) {
    for (std::uint16_t lock : kLockVariants)
        xcb_ungrab_key(c, key, ewmh::Root(c), mask | lock);
    xcb_flush(c);
}

// Fails when another client holds the key.
bool Grab(xcb_connection_t* c, xcb_keycode_t key, std::uint16_t mask) {
    for (std::uint16_t lock : kLockVariants) {
        const auto cookie = xcb_grab_key_checked(c, 1, ewmh::Root(c), mask | lock, key,
                                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
            std::free(error);
            Ungrab(c, key, mask);
            return false;
        }
    }
    return true;
}

// Sees the grabbed key's presses among the events the application reads.
class HotkeyFilter : public QAbstractNativeEventFilter {
  public:
    HotkeyFilter(xcb_keycode_t key, std::uint16_t mask, std::function<void()> routine)
        : key_(key), mask_(mask), routine_(std::move(routine)) {}

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_KEY_PRESS) return false;
        const auto* press = static_cast<const xcb_key_press_event_t*>(message);
        const std::uint16_t lockless = press->state & ~(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2);
        if (press->detail != key_ || lockless != mask_) return false;
        if (routine_) routine_();
        return true;
    }

  private:
    xcb_keycode_t key_;
    std::uint16_t mask_;
    std::function<void()> routine_;
};

}  // namespace

bool TaskbarShell::AddTab(Window window) {
    return SetSkipTaskbar(window, false);
}

bool TaskbarShell::DeleteTab(Window window) {
    return SetSkipTaskbar(window, true);
}

bool TaskbarShell::ActivateTab(Window window) {
    return RequestActive(window, kSourcePager);
}

bool TaskbarShell::SetActiveAlt(Window window) {
    return RequestActive(window, kSourceApplication);
}

void TaskbarShell::WaitHotkey(int modifiers, int virtualKey, std::function<void()> routine) {
    xcb_connection_t* c = ewmh::Connection();
    const std::optional<xcb_keysym_t> keysym = KeysymOf(virtualKey);
    if (!c || !keysym || releaseGrab_ || !QAbstractEventDispatcher::instance()) return;
    const xcb_keycode_t key = KeycodeOf(c, *keysym);
    const std::uint16_t mask = ModifierMask(modifiers);
    if (key == 0 || !Grab(c, key, mask)) return;

    hotkeyStop_ = 0;
    HotkeyFilter filter(key, mask, std::move(routine));
    QAbstractEventDispatcher::instance()->installNativeEventFilter(&filter);
    QEventLoop loop;
    stopWaiting_ = [&loop] { loop.quit(); };
    releaseGrab_ = [c, key, mask] { Ungrab(c, key, mask); };
    // Ends at StopHotkey, or when the application quits (which ends every loop).
    loop.exec();
    QAbstractEventDispatcher::instance()->removeNativeEventFilter(&filter);
    if (releaseGrab_) releaseGrab_();
    stopWaiting_ = {};
    releaseGrab_ = {};
}

bool TaskbarShell::StopHotkey() {
    if (!releaseGrab_) return false;
    releaseGrab_();
    releaseGrab_ = {};
    hotkeyStop_ = 1;
    if (stopWaiting_) stopWaiting_();
    return true;
}

TaskbarShell::Window TaskbarShell::FindTaskbar() const {
    xcb_connection_t* c = ewmh::Connection();
    if (!c) return 0;
    const xcb_atom_t dock = Atom(c, "_NET_WM_WINDOW_TYPE_DOCK");
    for (xcb_window_t window : CandidateWindows(c)) {
        if (HasType(c, window, dock)) return window;
    }
    return 0;
}

int TaskbarShell::HideTaskbar() {
    return MapPanel(FindTaskbar(), false);
}

int TaskbarShell::ShowTaskbar() {
    return MapPanel(FindTaskbar(), true);
}

int TaskbarShell::TaskbarHeight() const {
    Rect rect;
    if (!GetTaskbarRect(rect)) return 0;
    return ScreenHeight(ewmh::Connection()) - rect.top;
}

void TaskbarShell::RegisterAppBar(Window, std::function<void(long)>) {
    // No standard full-screen notification for application bars on X11.
}

long TaskbarShell::AppBarWindowProc(Window, unsigned, unsigned long, long) {
    return 0;  // nothing is ever registered (see RegisterAppBar)
}

bool TaskbarShell::IsTaskbarAutoHide() const {
    return false;  // panels keep this to themselves
}

bool TaskbarShell::SetTaskbarAutoHide(bool) {
    return false;  // no standard request reaches a panel's settings
}

int TaskbarShell::GetTaskbarRect(Rect& rect) const {
    rect = Rect{};
    const Window panel = FindTaskbar();
    if (panel == 0) return 0;
    const std::optional<Rect> found = PanelRect(ewmh::Connection(), panel);
    if (!found) return 0;
    rect = *found;
    return 1;
}

int TaskbarShell::GetTaskbarEdge() const {
    xcb_connection_t* c = ewmh::Connection();
    const Window panel = FindTaskbar();
    if (!c || panel == 0) return -1;
    // The strut says which edge the panel reserves: left, right, top, bottom.
    auto strut = ewmh::Property32(c, panel, Atom(c, "_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL);
    if (strut.size() < 4)
        strut = ewmh::Property32(c, panel, Atom(c, "_NET_WM_STRUT"), XCB_ATOM_CARDINAL);
    constexpr int kEdgeOfStrut[4] = {0, 2, 1, 3};
    for (std::size_t i = 0; i < std::min<std::size_t>(strut.size(), 4); ++i) {
        if (strut[i] != 0) return kEdgeOfStrut[i];
    }
    Rect rect;
    if (!GetTaskbarRect(rect)) return -1;
    const int screenWidth = xcb_setup_roots_iterator(xcb_get_setup(c)).data->width_in_pixels;
    if (rect.right - rect.left >= rect.bottom - rect.top)
        return rect.top + rect.bottom < ScreenHeight(c) ? 1 : 3;
    return rect.left + rect.right < screenWidth ? 0 : 2;
}

bool TaskbarShell::MinimizeAll() {
    xcb_connection_t* c = ewmh::Connection();
    if (!c || !ewmh::WindowManagerRuns(c)) return false;
    const xcb_atom_t normal = Atom(c, "_NET_WM_WINDOW_TYPE_NORMAL");
    const xcb_atom_t changeState = Atom(c, "WM_CHANGE_STATE");
    minimized_.clear();
    for (xcb_window_t window :
         ewmh::Property32(c, ewmh::Root(c), Atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)) {
        const auto types =
            ewmh::Property32(c, window, Atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM);
        if (!types.empty() && !HasType(c, window, normal)) continue;
        ewmh::SendToRoot(c, window, changeState, {kIconicState, 0, 0, 0, 0});
        minimized_.push_back(window);
    }
    return true;
}

bool TaskbarShell::UndoMinimizeALL() {
    xcb_connection_t* c = ewmh::Connection();
    if (!c || !ewmh::WindowManagerRuns(c)) return false;
    for (Window window : minimized_) {
        if (ewmh::WindowExists(c, window)) RequestActive(window, kSourcePager);
    }
    minimized_.clear();
    return true;
}

bool TaskbarShell::CascadeWindows() {
    return false;  // window arrangement is each desktop's own
}

bool TaskbarShell::TileHorizontally() {
    return false;  // window arrangement is each desktop's own
}

bool TaskbarShell::TileVertically() {
    return false;  // window arrangement is each desktop's own
}

bool TaskbarShell::ToggleDesktop() {
    xcb_connection_t* c = ewmh::Connection();
    if (!c || !ewmh::WindowManagerRuns(c)) return false;
    const xcb_atom_t showing = Atom(c, "_NET_SHOWING_DESKTOP");
    const auto now = ewmh::Property32(c, ewmh::Root(c), showing, XCB_ATOM_CARDINAL);
    const bool shown = !now.empty() && now.front() != 0;
    ewmh::SendToRoot(c, ewmh::Root(c), showing, {shown ? 0u : 1u, 0, 0, 0, 0});
    return true;
}

bool TaskbarShell::TrayProperties() {
    return false;  // a panel's properties dialog has no standard request
}

bool TaskbarShell::WindowSwitcher() {
    return false;  // no standard request opens a window manager's switcher
}

bool TaskbarShell::SetTaskbarSizeMove(bool) {
    return false;  // whether a panel can be moved is its own setting
}

}  // namespace vantrel
