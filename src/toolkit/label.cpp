#include "toolkit/label.h"

#include <QMouseEvent>
#include <QPainter>

#include "toolkit/skin.h"

namespace vantrel {

Label::Label(const QString& text, QWidget* parent)
    : QWidget(parent), text_(text), textColor_(skin::kMutedText) {
    setFont(SkinFont(12));
    setAttribute(Qt::WA_TranslucentBackground);
}

void Label::SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void Label::SetTextColor(std::uint32_t argb) {
    textColor_ = argb;
    update();
}

void Label::SetAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void Label::SetWordWrap(bool wrap) {
    wordWrap_ = wrap;
    update();
}

void Label::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont f = font();
    f.setUnderline(Underlined());
    painter.setFont(f);
    painter.setPen(ColorFromArgb(textColor_));
    if (wordWrap_) {
        painter.drawText(rect(), static_cast<int>(alignment_) | Qt::TextWordWrap, text_);
        return;
    }
    const QString shown =
        painter.fontMetrics().elidedText(text_, Qt::ElideRight, width(), Qt::TextSingleLine);
    painter.drawText(rect(), static_cast<int>(alignment_), shown);
}

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : Label(text, parent) {
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    Label::enterEvent(event);
    emit PointerEntered();
}

void LinkLabel::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    Label::leaveEvent(event);
    emit PointerLeft();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Clicked();
    }
    Label::mouseReleaseEvent(event);
}

}  // namespace vantrel
