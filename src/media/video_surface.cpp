#include "media/video_surface.h"

#include <QPainter>
#include <QVideoSink>

namespace vantrel {

VideoSurface::VideoSurface(QWidget* parent) : QWidget(parent), sink_(new QVideoSink(this)) {
    setObjectName(QStringLiteral("VideoSurface"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(sink_, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
        frame_ = frame;
        update();
    });
}

void VideoSurface::SetStretch(bool stretch) {
    stretch_ = stretch;
    update();
}

void VideoSurface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!frame_.isValid()) return;
    const QImage picture = frame_.toImage();
    if (picture.isNull()) return;
    QSize size = picture.size();
    size.scale(this->size(), stretch_ ? Qt::IgnoreAspectRatio : Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), size);
    target.moveCenter(rect().center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture);
    emit FramePainted();
}

}  // namespace vantrel
