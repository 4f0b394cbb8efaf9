#include "desktop/edge_tick_pause.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace vantrel {

namespace {
constexpr int kRecheckMs = 100;  // how often a resting watch asks where the pointer is
}  // namespace

EdgeTickPause::EdgeTickPause(QWidget& window, QTimer& timer, const PointerWatchMaker& makeWatch)
    : window_(window), timer_(timer), pointer_(makeWatch([this] { Resume(); })) {
    recheck_.setSingleShot(true);
    recheck_.setInterval(kRecheckMs);
    connect(&recheck_, &QTimer::timeout, this, [this] {
        if (pointer_->MovedSinceWatch()) {
            Resume();
        } else if (paused_) {
            recheck_.start();
        }
    });
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

void EdgeTickPause::Settle(EdgeTickOutcome outcome) {
    switch (outcome) {
        case EdgeTickOutcome::kWindowMoved:
            pointer_->Stop();
            return;
        case EdgeTickOutcome::kAwayFromEdges:
            pointer_->Stop();
            Pause();
            return;
        case EdgeTickOutcome::kWaitingForPointer:
            if (!pointer_->Available()) return;
            // The tick that turns watching on looked at the pointer before
            // the watch was in force; the next one, after it, may rest.
            if (pointer_->Watching()) {
                Pause();
                if (paused_) recheck_.start();
            } else {
                pointer_->Watch();
            }
            return;
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
    recheck_.stop();
    pointer_->Stop();
    StartTimer();
}

void EdgeTickPause::StartTimer() {
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
