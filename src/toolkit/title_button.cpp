#include "toolkit/title_button.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

#include "toolkit/skin.h"

namespace vantrel {

TitleButton::TitleButton(Glyph glyph, QWidget* parent) : HoverButton(parent), glyph_(glyph) {}

void TitleButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (Hovered()) {
        const bool danger = glyph_ == Glyph::kClose;
        painter.setPen(Qt::NoPen);
        painter.setBrush(ColorFromArgb(danger ? skin::kDanger : skin::kPanelSelected));
        painter.drawRoundedRect(box, 3, 3);
    }
    QPen pen(ColorFromArgb(Hovered() ? skin::kText : 0xFFA3AABB), 1.4, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal m = box.width() * 0.28;
    const QRectF glyphBox = box.adjusted(m, m, -m, -m);
    switch (glyph_) {
        case Glyph::kClose:
            painter.drawLine(glyphBox.topLeft(), glyphBox.bottomRight());
            painter.drawLine(glyphBox.topRight(), glyphBox.bottomLeft());
            break;
        case Glyph::kMinimise: {
            const qreal y = box.center().y() + 0.5;
            painter.drawLine(QPointF(glyphBox.left(), y), QPointF(glyphBox.right(), y));
            break;
        }
        case Glyph::kSettings:
            DrawSettings(painter, box);
            break;
        case Glyph::kHistory:
            DrawHistory(painter, box);
            break;
    }
}

void TitleButton::DrawSettings(QPainter& painter, const QRectF& box) const {
    // A cog: six teeth around a ring.
    const QPointF c = box.center();
    const qreal outer = box.width() * 0.36;
    const qreal inner = box.width() * 0.25;
    QPainterPath teeth;
    for (int i = 0; i < 6; ++i) {
        const qreal a = i * std::numbers::pi / 3;
        teeth.moveTo(c + QPointF(std::cos(a) * inner, std::sin(a) * inner));
        teeth.lineTo(c + QPointF(std::cos(a) * outer, std::sin(a) * outer));
    }
    QPen pen = painter.pen();
    pen.setWidthF(2.2);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawPath(teeth);
    pen.setWidthF(1.4);
    painter.setPen(pen);
    painter.drawEllipse(c, inner, inner);
    painter.drawEllipse(c, box.width() * 0.08, box.width() * 0.08);
}

void TitleButton::DrawHistory(QPainter& painter, const QRectF& box) const {
    // A clock face with its hands at ten past nine.
    const QPointF c = box.center();
    const qreal r = box.width() * 0.33;
    painter.drawEllipse(c, r, r);
    painter.drawLine(c, c + QPointF(0, -r * 0.62));
    painter.drawLine(c, c + QPointF(-r * 0.5, 0));
}

}  // namespace vantrel
