#pragma once

#include "toolkit/hover_button.h"

namespace vantrel {

// The small square buttons of a window's title row; the glyph is drawn, not
// loaded, so it stays sharp at any size.
class TitleButton : public HoverButton {
    Q_OBJECT
  public:
    enum class Glyph { kSettings, kMinimise, kClose, kHistory };

    TitleButton(Glyph glyph, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void DrawSettings(QPainter& painter, const QRectF& box) const;
    void DrawHistory(QPainter& painter, const QRectF& box) const;

    Glyph glyph_;
};

}  // namespace vantrel
