#pragma once

#include <QLineEdit>

namespace vantrel {

// A one-line edit box in the skin. Its first text is ordinary text (a
// prompt such as "请输入关键词" is text the handlers compare against), a
// press raises Clicked, typing raises textEdited, and a disabled box looks
// it. It takes the keyboard focus only from a click on it: neither a window
// coming up nor a box before it being disabled moves the focus into it.
class EditBox : public QLineEdit {
    Q_OBJECT
  public:
    EditBox(const QString& text, QWidget* parent);

  signals:
    void Clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The edit box for a folder that only a chooser fills: read-only, and a
// path too long for it loses its middle, so its end stays readable. The
// whole path is its tooltip.
class FolderBox : public EditBox {
    Q_OBJECT
  public:
    FolderBox(const QString& text, QWidget* parent);

    // The text as drawn in the box now.
    QString ShownText() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRect TextArea() const;
};

// The edit box for a period in minutes: digits only, at most five of them,
// so the period can always be turned into milliseconds.
class MinutesBox : public EditBox {
    Q_OBJECT
  public:
    MinutesBox(const QString& text, QWidget* parent);
};

}  // namespace vantrel
