#pragma once

#include <QImage>
#include <QWidget>

namespace vantrel {

// Shows one picture, scaled down to fit and centred; nothing when empty.
class PictureBox : public QWidget {
    Q_OBJECT
  public:
    explicit PictureBox(QWidget* parent);

    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }

  signals:
    void Clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool Clickable() const;

    QImage picture_;
};

}  // namespace vantrel
