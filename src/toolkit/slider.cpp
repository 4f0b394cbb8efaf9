#include "toolkit/slider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "toolkit/skin.h"

namespace vantrel {

namespace {

constexpr double kKnobRadius = 6;

}  // namespace

Slider::Slider(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void Slider::SetRange(int minimum, int maximum) {
    minimum_ = std::min(minimum, maximum);
    maximum_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, minimum_, maximum_);
    update();
}

void Slider::SetPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
    update();
}

void Slider::MoveByUser(int position) {
    position = std::clamp(position, minimum_, maximum_);
    if (position == position_) return;
    position_ = position;
    update();
    emit PositionChanged(position_);
}

int Slider::PositionAt(double x) const {
    const double usable = width() - 2 * kKnobRadius;
    if (usable <= 0 || maximum_ == minimum_) return minimum_;
    const double share = std::clamp((x - kKnobRadius) / usable, 0.0, 1.0);
    return minimum_ + static_cast<int>(std::lround(share * (maximum_ - minimum_)));
}

double Slider::KnobCentre() const {
    const double usable = width() - 2 * kKnobRadius;
    const double share =
        maximum_ == minimum_ ? 0 : double(position_ - minimum_) / (maximum_ - minimum_);
    return kKnobRadius + share * usable;
}

void Slider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double middle = height() / 2.0;
    const QRectF groove(kKnobRadius, middle - 2, width() - 2 * kKnobRadius, 4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ColorFromArgb(skin::kPanelSelected));
    painter.drawRoundedRect(groove, 2, 2);
    const double knob = KnobCentre();
    painter.setBrush(ColorFromArgb(skin::kAccent));
    painter.drawRoundedRect(QRectF(groove.left(), groove.top(), knob - groove.left(), 4), 2, 2);
    painter.setBrush(ColorFromArgb(hasFocus() ? 0xFFFFFFFF : skin::kText));
    painter.drawEllipse(QPointF(knob, middle), kKnobRadius, kKnobRadius);
}

void Slider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    MoveByUser(PositionAt(event->position().x()));
}

void Slider::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
    MoveByUser(PositionAt(event->position().x()));
}

void Slider::keyPressEvent(QKeyEvent* event) {
    const int page = std::max(1, (maximum_ - minimum_) / 10);
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            return MoveByUser(position_ - 1);
        case Qt::Key_Right:
        case Qt::Key_Up:
            return MoveByUser(position_ + 1);
        case Qt::Key_PageDown:
            return MoveByUser(position_ - page);
        case Qt::Key_PageUp:
            return MoveByUser(position_ + page);
        case Qt::Key_Home:
            return MoveByUser(minimum_);
        case Qt::Key_End:
            return MoveByUser(maximum_);
        default:
            QWidget::keyPressEvent(event);
    }
}

void Slider::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) MoveByUser(position_ + steps);
    event->accept();
}

}  // namespace vantrel
