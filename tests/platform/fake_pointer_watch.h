#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "platform/pointer_watch.h"

namespace vantrel::test {

// A pointer the test moves: it says whether motion can be watched, when raw
// motion comes and whether asking for the pointer's place finds it moved.
class FakePointerWatch final : public PointerWatch {
  public:
    explicit FakePointerWatch(std::function<void()> onMotion) : onMotion_(std::move(onMotion)) {}

    // A maker for the code under test; the watch it makes is left in `made`.
    static PointerWatchMaker Maker(FakePointerWatch*& made) {
        return [&made](std::function<void()> onMotion) -> std::unique_ptr<PointerWatch> {
            auto watch = std::make_unique<FakePointerWatch>(std::move(onMotion));
            made = watch.get();
            return watch;
        };
    }

    bool Available() override { return available; }
    bool Watching() const override { return watching_; }
    void Watch() override { watching_ = true; }
    void Stop() override { watching_ = false; }
    bool MovedSinceWatch() override { return placeChanged; }

    // Raw motion: reported while watching, and only once, as the display does.
    void Move() {
        if (!watching_) return;
        watching_ = false;
        onMotion_();
    }

    bool available = true;
    // Synthetic input moved the pointer: no raw motion, but another place.
    bool placeChanged = false;

  private:
    std::function<void()> onMotion_;
    bool watching_ = false;
};

}  // namespace vantrel::test
