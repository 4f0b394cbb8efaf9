#pragma once

#include <QWidget>

namespace vantrel {

// A horizontal slider over a range of whole numbers. Only the user moves
// it with an event: dragging, clicking the track, the arrow, page and
// home/end keys or the wheel raise PositionChanged; SetPosition from code
// raises nothing, so filling a window does not look like a user's change.
class Slider : public QWidget {
    Q_OBJECT
  public:
    explicit Slider(QWidget* parent);

    void SetRange(int minimum, int maximum);
    void SetPosition(int position);
    int Position() const { return position_; }

  signals:
    void PositionChanged(int position);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    int PositionAt(double x) const;
    void MoveByUser(int position);
    double KnobCentre() const;

    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
};

}  // namespace vantrel
