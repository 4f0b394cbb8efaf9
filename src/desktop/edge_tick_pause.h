#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

#include "desktop/edge_hide_tick.h"
#include "platform/pointer_watch.h"
#include "platform/x11_pointer_watch.h"

class QWidget;

namespace vantrel {

// An edge tick that moved nothing changes nothing on the next tick either,
// until the window moves or, at an edge, the pointer moves; waking 100 times
// a second meanwhile only burns CPU. This stops the edge timer after such a
// tick and starts it again at the interval it had when the window moves, is
// resized or shown, its always-on-top state is set, the screen changes size
// or, at an edge, the pointer moves. Motion is seen from real input devices;
// a pointer placed by synthetic input (remote desktops, test tools) makes no
// such event, so at an edge the pointer's place is still asked for every
// 100 ms. Where motion cannot be watched at all the timer keeps ticking at an
// edge. A timer stopped by anyone else (interval set to 0) is left stopped.
// The owner keeps this object and destroys it before the window and the
// timer.
class EdgeTickPause : public QObject {
  public:
    // makeWatch makes the pointer watch; the program watches the X display.
    EdgeTickPause(QWidget& window, QTimer& timer,
                  const PointerWatchMaker& makeWatch = MakeX11PointerWatch);

    // Decides, from what a tick did, whether the next one can wait.
    void Settle(EdgeTickOutcome outcome);
    // Something a tick depends on may have changed.
    void Resume();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Pause();
    void StartTimer();
    void WatchScreen();

    QWidget& window_;
    QTimer& timer_;
    std::unique_ptr<PointerWatch> pointer_;
    QTimer recheck_;
    bool paused_ = false;
};

}  // namespace vantrel
