#pragma once

#include <QWidget>

namespace vantrel {

// A captioned frame around a group of controls; the caption can change while
// the window is open.
class GroupBox : public QWidget {
    Q_OBJECT
  public:
    GroupBox(const QString& caption, QWidget* parent);

    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString caption_;
};

}  // namespace vantrel
