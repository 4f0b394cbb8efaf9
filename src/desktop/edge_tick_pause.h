#pragma once

#include <QObject>

class QTimer;
class QWidget;

namespace vantrel {

// Away from both screen edges an edge tick can change nothing until the
// window moves, so waking 100 times a second there only burns CPU. This
// stops the edge timer once a tick finds nothing to watch and starts it
// again at the interval it had when the window moves, is resized or shown,
// its always-on-top state is set, or the screen changes size. A timer
// stopped by anyone else (interval set to 0) is left stopped. The owner
// keeps it and must destroy it before the window and the timer.
class EdgeTickPause : public QObject {
  public:
    EdgeTickPause(QWidget& window, QTimer& timer);

    // The tick found the window away from both edges.
    void Pause();
    // Something a tick depends on may have changed.
    void Resume();
    bool Paused() const { return paused_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void WatchScreen();

    QWidget& window_;
    QTimer& timer_;
    bool paused_ = false;
};

}  // namespace vantrel
