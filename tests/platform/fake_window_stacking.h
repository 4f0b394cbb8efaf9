#pragma once

#include <set>

#include "platform/window_stacking.h"

class QWidget;

namespace vantrel::test {

// Keeps the always-on-top state of each window itself.
class FakeWindowStacking final : public WindowStacking {
  public:
    bool IsStaysOnTop(const QWidget& window) const override { return onTop_.contains(&window); }
    void SetStaysOnTop(QWidget& window, bool on) override {
        if (on) {
            onTop_.insert(&window);
        } else {
            onTop_.erase(&window);
        }
    }

  private:
    std::set<const QWidget*> onTop_;
};

}  // namespace vantrel::test
