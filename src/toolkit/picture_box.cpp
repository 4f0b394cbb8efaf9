#include "toolkit/picture_box.h"

#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>

namespace vantrel {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void PictureBox::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QSize size = picture_.size();
    if (size.width() > width() || size.height() > height()) {
        size.scale(this->size(), Qt::KeepAspectRatio);
    }
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.drawImage(target, picture_);
}

bool PictureBox::Clickable() const {
    return isSignalConnected(QMetaMethod::fromSignal(&PictureBox::Clicked));
}

// A box that answers clicks keeps them to itself: passed on to the window, the
// press would start a drag and the release would close a tooltip the click
// has just shown. Other boxes let the window be dragged by them.
void PictureBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && Clickable()) return event->accept();
    QWidget::mousePressEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !Clickable()) return QWidget::mouseReleaseEvent(event);
    event->accept();
    emit Clicked();
}

}  // namespace vantrel
