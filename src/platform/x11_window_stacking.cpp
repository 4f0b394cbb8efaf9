#include "platform/x11_window_stacking.h"

#include <QWidget>
#include <QWindow>

namespace vantrel {

namespace {

class X11Stacking final : public WindowStacking {
  public:
    bool IsStaysOnTop(const QWidget& window) const override;
    void SetStaysOnTop(QWidget& window, bool on) override;
};

bool X11Stacking::IsStaysOnTop(const QWidget& window) const {
    return window.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void X11Stacking::SetStaysOnTop(QWidget& window, bool on) {
    if (IsStaysOnTop(window) == on) return;
    Qt::WindowFlags flags = window.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    QWindow* native = window.windowHandle();
    if (!native) {
        window.setWindowFlags(flags);
        return;
    }
    window.overrideWindowFlags(flags);
    native->setFlags(flags);
}

}  // namespace

WindowStacking& X11WindowStacking() {
    static X11Stacking stacking;
    return stacking;
}

}  // namespace vantrel
