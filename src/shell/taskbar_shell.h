#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace vantrel {

// The desktop's taskbar and shell, on X11 through the window manager's
// standard hints (EWMH). One instance lives for the whole run. Every
// operation answers at once: without an X display, a window manager or a
// panel it returns false, 0 or an empty result and changes nothing.
class TaskbarShell {
  public:
    using Window = std::uint32_t;  // an X11 window id; 0 is none

    struct Rect {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };

    // Hotkey modifiers as the callers pass them.
    static constexpr int MOD_ALT = 1;
    static constexpr int MOD_CONTROL = 2;
    static constexpr int MOD_SHIFT = 4;
    static constexpr int MOD_WIN = 8;

    TaskbarShell() = default;
    TaskbarShell(const TaskbarShell& other) = default;
    TaskbarShell& operator=(const TaskbarShell& other) = default;
    ~TaskbarShell() = default;

    // The window's button on the taskbar: its skip-taskbar state.
    bool AddTab(Window window);
    bool DeleteTab(Window window);
    // Ask the window manager to activate the window, as a taskbar would
    // (ActivateTab) or as the application itself would (SetActiveAlt).
    bool ActivateTab(Window window);
    bool SetActiveAlt(Window window);

    // Grabs the key (Windows virtual-key code, MOD_* modifiers) on the whole
    // display and runs the routine at each press, waiting in an event loop of
    // its own (other events keep being handled) until StopHotkey or the end
    // of the program. Returns at once when the key cannot be grabbed.
    void WaitHotkey(int modifiers, int virtualKey, std::function<void()> routine);
    bool StopHotkey();

    // The panel: the first dock window the window manager lists.
    Window FindTaskbar() const;
    // Unmaps / maps the panel; non-zero when it was visible before.
    int HideTaskbar();
    int ShowTaskbar();
    // Screen height minus the panel's top; 0 without a panel.
    int TaskbarHeight() const;
    // Full-screen notifications of an application bar have no standard on
    // X11: nothing is registered and the routine is never called.
    void RegisterAppBar(Window window, std::function<void(long)> routine);
    long AppBarWindowProc(Window window, unsigned message, unsigned long wParam, long lParam);
    // Panels keep their auto-hide setting to themselves: no standard hint.
    bool IsTaskbarAutoHide() const;
    bool SetTaskbarAutoHide(bool on);
    // The panel's rectangle in root coordinates; 1 when there is a panel.
    int GetTaskbarRect(Rect& rect) const;
    // 0 left, 1 top, 2 right, 3 bottom; -1 without a panel.
    int GetTaskbarEdge() const;

    // Iconifies every ordinary window the window manager lists and
    // remembers them; UndoMinimizeALL brings those back.
    bool MinimizeAll();
    bool UndoMinimizeALL();
    // Window arrangement, taskbar properties, the window switcher and the
    // taskbar lock belong to each desktop's own shell: no standard request.
    bool CascadeWindows();
    bool TileHorizontally();
    bool TileVertically();
    // Flips the window manager's showing-desktop mode.
    bool ToggleDesktop();
    bool TrayProperties();
    bool WindowSwitcher();
    bool SetTaskbarSizeMove(bool unlocked);

  private:
    std::vector<Window> minimized_;
    int hotkeyStop_ = 0;
    std::function<void()> stopWaiting_;
    std::function<void()> releaseGrab_;
};

}  // namespace vantrel
