#include "toolkit/color_swatch.h"

#include <QPainter>

#include "toolkit/skin.h"

namespace vantrel {

ColorSwatch::ColorSwatch(std::uint32_t argb, QWidget* parent) : HoverButton(parent), color_(argb) {
    setCursor(Qt::PointingHandCursor);
}

void ColorSwatch::SetColor(std::uint32_t argb) {
    color_ = argb;
    update();
}

void ColorSwatch::SetChosen(bool chosen) {
    chosen_ = chosen;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ColorFromArgb(color_));
    painter.drawRoundedRect(box, 3, 3);
    if (chosen_ || Hovered()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(ColorFromArgb(chosen_ ? skin::kText : skin::kMutedText), 1.5));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    }
}

}  // namespace vantrel
