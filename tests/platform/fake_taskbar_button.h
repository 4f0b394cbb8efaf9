#pragma once

#include <set>

#include "platform/taskbar_button.h"

class QWidget;

namespace vantrel::test {

// Keeps each window's taskbar state itself; a window it was never given
// has its button, as on a desktop.
class FakeTaskbarButton final : public TaskbarButton {
  public:
    void SetShown(QWidget& window, bool shown) override {
        if (shown) {
            hidden_.erase(&window);
        } else {
            hidden_.insert(&window);
        }
    }
    bool Shown(const QWidget& window) const override { return !hidden_.contains(&window); }

  private:
    std::set<const QWidget*> hidden_;
};

}  // namespace vantrel::test
