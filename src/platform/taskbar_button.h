#pragma once

class QWidget;

namespace vantrel {

// Whether a top-level window has a button on the desktop's taskbar.
class TaskbarButton {
  public:
    virtual ~TaskbarButton() = default;

    virtual void SetShown(QWidget& window, bool shown) = 0;
    // The state as the window carries it now.
    virtual bool Shown(const QWidget& window) const = 0;
};

}  // namespace vantrel
