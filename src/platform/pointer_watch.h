#pragma once

#include <functional>
#include <memory>

namespace vantrel {

// Reports that the pointer moved anywhere on the display, to the routine the
// watch was made with. Each Watch() reports at most one motion: the first
// one turns watching off again, so a moving pointer wakes the program once,
// not at the mouse's report rate.
class PointerWatch {
  public:
    virtual ~PointerWatch() = default;

    // False where motion cannot be watched; callers then keep polling.
    virtual bool Available() = 0;
    virtual bool Watching() const = 0;
    // Motion from the moment the display server has the request on is reported.
    virtual void Watch() = 0;
    virtual void Stop() = 0;
    // Synthetic input (a test tool, a remote desktop) moves the pointer
    // without reporting motion; this asks where it is against where it was
    // when watching began.
    virtual bool MovedSinceWatch() = 0;
};

// Makes a watch that runs onMotion when it sees the pointer move.
using PointerWatchMaker =
    std::function<std::unique_ptr<PointerWatch>(std::function<void()> onMotion)>;

}  // namespace vantrel
