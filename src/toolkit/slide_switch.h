#pragma once

#include "toolkit/hover_button.h"

namespace vantrel {

// An on/off switch that never changes by itself: a click only raises
// clicked(), and the handler decides the new state with SetState.
class SlideSwitch : public HoverButton {
    Q_OBJECT
  public:
    explicit SlideSwitch(QWidget* parent);

    void SetState(int state);
    int State() const { return state_; }
    bool On() const { return state_ != 0; }

    QSize sizeHint() const override { return {56, 24}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int state_ = 0;
};

}  // namespace vantrel
