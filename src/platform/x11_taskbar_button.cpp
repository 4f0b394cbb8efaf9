#include "platform/x11_taskbar_button.h"

#include <QWidget>

#include "platform/ewmh.h"

namespace vantrel {

namespace {

class X11Button final : public TaskbarButton {
  public:
    void SetShown(QWidget& window, bool shown) override;
    bool Shown(const QWidget& window) const override;
};

void X11Button::SetShown(QWidget& window, bool shown) {
    xcb_connection_t* c = ewmh::Connection();
    if (!c) return;
    // A shown window's state belongs to the window manager: it is asked too.
    ewmh::SetSkipTaskbar(c, static_cast<xcb_window_t>(window.winId()), !shown, window.isVisible());
}

bool X11Button::Shown(const QWidget& window) const {
    xcb_connection_t* c = ewmh::Connection();
    if (!c) return true;
    return !ewmh::HasSkipTaskbar(c, static_cast<xcb_window_t>(window.winId()));
}

}  // namespace

TaskbarButton& X11TaskbarButton() {
    static X11Button button;
    return button;
}

}  // namespace vantrel
