#include "viewer/icon_button.h"

#include <QPainter>
#include <QPainterPath>

#include "toolkit/skin.h"

namespace vantrel {
namespace {

void DrawSpeaker(QPainter& p, bool muted) {
    QPainterPath body;
    body.moveTo(9, 16);
    body.lineTo(15, 16);
    body.lineTo(22, 10);
    body.lineTo(22, 30);
    body.lineTo(15, 24);
    body.lineTo(9, 24);
    body.closeSubpath();
    p.setBrush(p.pen().color());
    p.drawPath(body);
    p.setBrush(Qt::NoBrush);
    if (muted) {
        p.drawLine(QPointF(26, 16), QPointF(33, 24));
        p.drawLine(QPointF(33, 16), QPointF(26, 24));
    } else {
        p.drawArc(QRectF(18, 14, 10, 12), -50 * 16, 100 * 16);
        p.drawArc(QRectF(17, 10, 16, 20), -50 * 16, 100 * 16);
    }
}

void DrawShuffle(QPainter& p) {
    p.drawLine(QPointF(9, 14), QPointF(15, 14));
    p.drawLine(QPointF(15, 14), QPointF(25, 26));
    p.drawLine(QPointF(25, 26), QPointF(31, 26));
    p.drawLine(QPointF(9, 26), QPointF(15, 26));
    p.drawLine(QPointF(15, 26), QPointF(25, 14));
    p.drawLine(QPointF(25, 14), QPointF(31, 14));
    for (double y : {14.0, 26.0}) {
        p.drawLine(QPointF(31, y), QPointF(27, y - 4));
        p.drawLine(QPointF(31, y), QPointF(27, y + 4));
    }
}

void DrawDownload(QPainter& p) {
    p.drawLine(QPointF(20, 9), QPointF(20, 25));
    p.drawLine(QPointF(20, 25), QPointF(14, 19));
    p.drawLine(QPointF(20, 25), QPointF(26, 19));
    p.drawLine(QPointF(10, 30), QPointF(30, 30));
}

// A transparent square picture and a painter on it in 40-unit coordinates.
struct Canvas {
    explicit Canvas(int size) : picture(size, size, QImage::Format_ARGB32_Premultiplied) {
        picture.fill(Qt::transparent);
        painter.begin(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 40.0, size / 40.0);
        painter.setPen(Qt::NoPen);
    }
    QImage Done() {
        painter.end();
        return picture;
    }
    QImage picture;
    QPainter painter;
};

}  // namespace

IconButton::IconButton(Glyph glyph, QWidget* parent) : HoverButton(parent), glyph_(glyph) {
    setCursor(Qt::PointingHandCursor);
}

void IconButton::SetSelected(bool selected) {
    selected_ = selected;
    update();
}

void IconButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ColorFromArgb(Hovered() ? skin::kPanelHover : skin::kPanel));
    p.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    p.scale(width() / 40.0, height() / 40.0);
    QPen pen(ColorFromArgb(glyph_ == Glyph::kSound && selected_ ? skin::kMutedText : skin::kText),
             2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    switch (glyph_) {
        case Glyph::kSound:
            DrawSpeaker(p, selected_);
            break;
        case Glyph::kShuffle:
            DrawShuffle(p);
            break;
        case Glyph::kDownload:
            DrawDownload(p);
            break;
    }
}

QImage HeartPicture(int size) {
    Canvas canvas(size);
    QPainter& p = canvas.painter;
    QPainterPath heart;
    heart.moveTo(20, 33);
    heart.cubicTo(4, 22, 4, 8, 14, 8);
    heart.cubicTo(18, 8, 20, 12, 20, 13);
    heart.cubicTo(20, 12, 22, 8, 26, 8);
    heart.cubicTo(36, 8, 36, 22, 20, 33);
    p.setBrush(ColorFromArgb(0xFFFE2C55));
    p.drawPath(heart);
    return canvas.Done();
}

QImage CommentPicture(int size) {
    Canvas canvas(size);
    QPainter& p = canvas.painter;
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(6, 8, 28, 20), 9, 9);
    QPainterPath tail;
    tail.moveTo(12, 26);
    tail.lineTo(10, 34);
    tail.lineTo(19, 27);
    p.setBrush(ColorFromArgb(skin::kText));
    p.drawPath(bubble.united(tail));
    p.setBrush(ColorFromArgb(skin::kWindow));
    for (double x : {14.0, 20.0, 26.0})
        p.drawEllipse(QPointF(x, 18), 1.8, 1.8);
    return canvas.Done();
}

}  // namespace vantrel
