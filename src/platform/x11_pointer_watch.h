#pragma once

#include <functional>
#include <memory>

#include "platform/pointer_watch.h"

class QSocketNotifier;
struct xcb_connection_t;

namespace vantrel {

// The pointer watch on the X display, from the input extension's raw motion
// events on a connection of its own (so Qt's event thread is not involved).
// Not available off X11 or without the extension.
class X11PointerWatch final : public PointerWatch {
  public:
    explicit X11PointerWatch(std::function<void()> onMotion);
    ~X11PointerWatch() override;
    X11PointerWatch(const X11PointerWatch&) = delete;
    X11PointerWatch& operator=(const X11PointerWatch&) = delete;

    // Connects on the first call.
    bool Available() override;
    bool Watching() const override { return watching_; }
    void Watch() override;
    void Stop() override;
    bool MovedSinceWatch() override;

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

std::unique_ptr<PointerWatch> MakeX11PointerWatch(std::function<void()> onMotion);

}  // namespace vantrel
