#include "desktop/edge_tick_pause.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace vantrel {

EdgeTickPause::EdgeTickPause(QWidget& window, QTimer& timer) : window_(window), timer_(timer) {
    window_.installEventFilter(this);
    WatchScreen();
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, [this] {
        WatchScreen();
        Resume();
    });
}

void EdgeTickPause::WatchScreen() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        connect(screen, &QScreen::geometryChanged, this, &EdgeTickPause::Resume,
                Qt::UniqueConnection);
    }
}

void EdgeTickPause::Pause() {
    if (!timer_.isActive()) return;
    timer_.stop();
    paused_ = true;
}

void EdgeTickPause::Resume() {
    if (!paused_) return;
    paused_ = false;
    // Stopped meanwhile by its owner: hiding to the tray, docking switched
    // off or a description shown all set the interval to 0.
    if (timer_.isActive() || timer_.interval() <= 0) return;
    timer_.start();
}

bool EdgeTickPause::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_) {
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::WindowStateChange:
                Resume();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vantrel
