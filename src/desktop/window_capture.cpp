#include "desktop/window_capture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPixmap>
#include <QWidget>

namespace vantrel {

bool CaptureWindowToClipboard(QWidget* window) {
    if (!window || !window->isWindow()) return false;
    const QPixmap picture = window->grab();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (picture.isNull() || !clipboard) return false;
    // The clipboard holds its own copy and offers it (as PNG among others)
    // for as long as the program runs, focus or not.
    clipboard->setImage(picture.toImage(), QClipboard::Clipboard);
    return true;
}

}  // namespace vantrel
