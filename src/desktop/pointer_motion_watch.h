#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;
struct xcb_connection_t;

namespace vantrel {

// Reports that the pointer moved anywhere on the X display, from the input
// extension's raw motion events on a connection of its own (so Qt's event
// thread is not involved). Each Watch() reports at most one motion: the
// first one turns watching off again, so a moving pointer wakes the program
// once, not at the mouse's report rate. Not available off X11 or without
// the extension; callers then keep polling.
class PointerMotionWatch {
  public:
    explicit PointerMotionWatch(std::function<void()> onMotion);
    ~PointerMotionWatch();
    PointerMotionWatch(const PointerMotionWatch&) = delete;
    PointerMotionWatch& operator=(const PointerMotionWatch&) = delete;

    // False off X11 or without the extension; connects on the first call.
    bool Available();
    bool Watching() const { return watching_; }
    // Motion from the moment the server has the request on is reported.
    void Watch();
    void Stop();
    // Synthetic input (a test tool, a remote desktop) moves the pointer
    // without raw motion; this asks where it is against where it was when
    // watching began.
    bool MovedSinceWatch();

  private:
    void Select(bool on);
    // The pointer's place on the root window; false when the server says nothing.
    bool QueryPointer(int& x, int& y);
    // Empties the events read in with a reply; true when motion was among them.
    bool TakeQueuedMotion();
    void ReadEvents();

    std::function<void()> onMotion_;
    xcb_connection_t* connection_ = nullptr;
    unsigned root_ = 0;
    int watchedX_ = 0;
    int watchedY_ = 0;
    bool watching_ = false;
    bool connectTried_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace vantrel
