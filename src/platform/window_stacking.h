#pragma once

class QWidget;

namespace vantrel {

// A top-level window's place in the desktop's stacking order.
class WindowStacking {
  public:
    virtual ~WindowStacking() = default;

    virtual bool IsStaysOnTop(const QWidget& window) const = 0;
    // Switches the window's always-on-top state.
    virtual void SetStaysOnTop(QWidget& window, bool on) = 0;
};

}  // namespace vantrel
