#pragma once

#include <QWidget>

#include <cstdint>

namespace vantrel {

// A one-line text in the skin's colours; text and colour can be read back.
class Label : public QWidget {
    Q_OBJECT
  public:
    Label(const QString& text, QWidget* parent);

    void SetText(const QString& text);
    QString Text() const { return text_; }
    void SetTextColor(std::uint32_t argb);
    std::uint32_t TextColor() const { return textColor_; }
    void SetAlignment(Qt::Alignment alignment);
    // Wrapped text breaks into lines at word ends instead of being cut short.
    void SetWordWrap(bool wrap);

  protected:
    void paintEvent(QPaintEvent* event) override;
    virtual bool Underlined() const { return false; }

  private:
    QString text_;
    std::uint32_t textColor_;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
    bool wordWrap_ = false;
};

// A label that acts like a link: hand cursor, underline under the pointer,
// a click signal and pointer enter/leave signals.
class LinkLabel : public Label {
    Q_OBJECT
  public:
    LinkLabel(const QString& text, QWidget* parent);

  signals:
    void Clicked();
    void PointerEntered();
    void PointerLeft();

  protected:
    bool Underlined() const override { return hovered_; }
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool hovered_ = false;
};

}  // namespace vantrel
