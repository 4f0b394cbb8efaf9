#pragma once

#include <cstdint>

#include "toolkit/hover_button.h"

namespace vantrel {

// A small square of one colour to pick; the chosen one is ringed. Like the
// switches it never changes by itself: the handler of clicked() chooses.
class ColorSwatch : public HoverButton {
    Q_OBJECT
  public:
    ColorSwatch(std::uint32_t argb, QWidget* parent);

    void SetColor(std::uint32_t argb);
    std::uint32_t Color() const { return color_; }
    void SetChosen(bool chosen);
    bool Chosen() const { return chosen_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::uint32_t color_;
    bool chosen_ = false;
};

}  // namespace vantrel
