#pragma once

#include <QPoint>
#include <QWidget>

namespace vantrel {

// A frameless top-level window in the dark skin. Pressing anywhere that is not
// a child control and dragging moves the window. A window with an owner stays
// above it.
class SkinWindow : public QWidget {
    Q_OBJECT
  public:
    explicit SkinWindow(QWidget* owner = nullptr);

  signals:
    void Resized(int width, int height);
    void DoubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    bool dragging_ = false;
    QPoint dragOffset_;
};

// The title at the top left of a secondary window (it lets presses through,
// so it drags the window) and the close button at the top right.
void AddTitleRow(QWidget& window, const QString& title, const char* titleName);

// Shows a newly made window in the middle of the screen `near` is on (else
// the primary one), in front and active.
void ShowInScreenCentre(QWidget& window, const QWidget& near);

// A window's open dialog of type W among its direct children: one not closing
// (W::Closing()), so a second click raises it instead of making another.
template <typename W>
W* OpenChildWindow(const QWidget& parent) {
    for (W* window : parent.findChildren<W*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!window->Closing()) return window;
    }
    return nullptr;
}

// The window's skin handle: a small mark in the top left corner. Its opacity
// is the opacity of the whole window it sits in.
class FrameHost : public QWidget {
    Q_OBJECT
  public:
    explicit FrameHost(QWidget* parent);

    void SetOpacity(int opacity);
    int Opacity() const { return opacity_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int opacity_ = 255;
};

}  // namespace vantrel
