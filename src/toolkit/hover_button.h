#pragma once

#include <QAbstractButton>

namespace vantrel {

// A button that knows whether the pointer is over it and says so when it
// enters and leaves, as the handlers of every skinned button need.
class HoverButton : public QAbstractButton {
    Q_OBJECT
  public:
    explicit HoverButton(QWidget* parent);

    bool Hovered() const { return hovered_; }

  signals:
    void PointerEntered();
    void PointerLeft();

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    bool hovered_ = false;
};

}  // namespace vantrel
