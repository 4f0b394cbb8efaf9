#include "toolkit/slide_switch.h"

#include <QPainter>

#include "toolkit/skin.h"

namespace vantrel {

SlideSwitch::SlideSwitch(QWidget* parent) : HoverButton(parent) {
    resize(sizeHint());
}

void SlideSwitch::SetState(int state) {
    const int wanted = state != 0 ? 1 : 0;
    if (wanted == state_) return;
    state_ = wanted;
    update();
}

void SlideSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal trackHeight = std::min<qreal>(height() - 2, 20);
    const QRectF track(1, (height() - trackHeight) / 2, width() - 2, trackHeight);
    const qreal radius = trackHeight / 2;
    QColor fill = ColorFromArgb(On() ? skin::kAccent : skin::kPanelSelected);
    if (Hovered()) fill = fill.lighter(112);
    painter.setPen(ColorFromArgb(On() ? skin::kAccent : skin::kLine));
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);

    // The knob rests at the end that names the state: right is on.
    const qreal knob = trackHeight - 4;
    const qreal left = On() ? track.right() - 2 - knob : track.left() + 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(ColorFromArgb(On() ? 0xFFFFFFFF : skin::kMutedText));
    painter.drawEllipse(QRectF(left, track.top() + 2, knob, knob));
}

}  // namespace vantrel
