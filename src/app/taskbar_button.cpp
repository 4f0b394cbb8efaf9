#include "app/taskbar_button.h"

#include <QWidget>

#include "shell/ewmh.h"

namespace vantrel {

void SetTaskbarButton(QWidget* window, bool shown) {
    xcb_connection_t* c = ewmh::Connection();
    if (!c || !window) return;
    // A shown window's state belongs to the window manager: it is asked too.
    ewmh::SetSkipTaskbar(c, static_cast<xcb_window_t>(window->winId()), !shown,
                         window->isVisible());
}

bool HasTaskbarButton(QWidget* window) {
    xcb_connection_t* c = ewmh::Connection();
    if (!c || !window) return true;
    return !ewmh::HasSkipTaskbar(c, static_cast<xcb_window_t>(window->winId()));
}

}  // namespace vantrel
