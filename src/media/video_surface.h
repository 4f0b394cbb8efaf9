#pragma once

#include <QVideoFrame>
#include <QWidget>

class QVideoSink;

namespace vantrel {

// Paints the frames a media player hands its sink, scaled into the widget
// (keeping the aspect ratio unless stretched) on a black ground. Painting
// with the widget's own painter keeps the picture in grabs and screenshots
// and needs no graphics driver.
class VideoSurface : public QWidget {
    Q_OBJECT
  public:
    explicit VideoSurface(QWidget* parent);

    QVideoSink* Sink() const { return sink_; }
    void SetStretch(bool stretch);
    bool Stretch() const { return stretch_; }
    QSize FrameSize() const { return frame_.size(); }

  signals:
    // A frame with a picture has just been painted.
    void FramePainted();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QVideoSink* sink_;
    QVideoFrame frame_;
    bool stretch_ = false;
};

}  // namespace vantrel
