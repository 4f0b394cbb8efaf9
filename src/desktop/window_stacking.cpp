#include "desktop/window_stacking.h"

#include <QWidget>
#include <QWindow>

namespace vantrel {

bool IsStaysOnTop(const QWidget& window) {
    return window.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void SetStaysOnTop(QWidget& window, bool on) {
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

}  // namespace vantrel
