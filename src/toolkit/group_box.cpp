#include "toolkit/group_box.h"

#include <QPainter>

#include "toolkit/skin.h"

namespace vantrel {

GroupBox::GroupBox(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption) {
    setFont(SkinFont(12));
}

void GroupBox::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    update();
}

void GroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics(font());
    const int captionHeight = metrics.height();
    // The frame starts halfway down the caption, which sits in a gap of its own.
    const QRectF frame = QRectF(rect()).adjusted(0.5, captionHeight / 2.0, -0.5, -0.5);
    painter.setPen(ColorFromArgb(skin::kLine));
    painter.setBrush(ColorFromArgb(skin::kPanel));
    painter.drawRoundedRect(frame, 6, 6);

    const QString shown = metrics.elidedText(caption_, Qt::ElideRight, width() - 24);
    const QRect gap(8, 0, metrics.horizontalAdvance(shown) + 8, captionHeight);
    painter.fillRect(gap, ColorFromArgb(skin::kWindow));
    painter.setPen(ColorFromArgb(skin::kText));
    painter.drawText(gap, Qt::AlignCenter, shown);
}

}  // namespace vantrel
