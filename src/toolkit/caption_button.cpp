#include "toolkit/caption_button.h"

#include <QPainter>

#include <algorithm>

#include "toolkit/skin.h"

namespace vantrel {

CaptionButton::CaptionButton(const QString& caption, QWidget* parent) : HoverButton(parent) {
    setText(caption);
    setFont(SkinFont(13));
}

void CaptionButton::SetSelected(bool selected) {
    selected_ = selected;
    update();
}

void CaptionButton::SetCaptionColor(std::uint32_t argb) {
    captionColor_ = argb;
    update();
}

void CaptionButton::SetOpacity(int opacity) {
    opacity_ = std::clamp(opacity, 0, 255);
    update();
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(OpacityFraction(opacity_));
    const QRectF body = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const std::uint32_t fill =
        selected_ ? skin::kPanelSelected : (Hovered() ? skin::kPanelHover : skin::kPanel);
    painter.setPen(ColorFromArgb(selected_ ? 0xFF3D4459 : skin::kLine));
    painter.setBrush(ColorFromArgb(fill));
    painter.drawRoundedRect(body, 5, 5);
    if (selected_) {
        // The selected source is marked by an accent bar along the bottom edge.
        const qreal barWidth = std::min<qreal>(24, width() - 16);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ColorFromArgb(skin::kAccent));
        painter.drawRoundedRect(QRectF((width() - barWidth) / 2, height() - 4, barWidth, 2), 1, 1);
    }
    painter.setPen(ColorFromArgb(captionColor_));
    painter.setFont(font());
    painter.drawText(rect().adjusted(0, 0, 0, selected_ ? -1 : 0), Qt::AlignCenter, text());
}

}  // namespace vantrel
