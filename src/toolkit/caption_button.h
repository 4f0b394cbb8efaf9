#pragma once

#include "toolkit/hover_button.h"

#include <cstdint>

namespace vantrel {

// A button with a caption, a selected state and a caption colour that the
// handlers set and read back; pointer enter and leave are signals.
class CaptionButton : public HoverButton {
    Q_OBJECT
  public:
    explicit CaptionButton(const QString& caption, QWidget* parent);

    void SetSelected(bool selected);
    bool Selected() const { return selected_; }
    void SetCaptionColor(std::uint32_t argb);
    std::uint32_t CaptionColor() const { return captionColor_; }
    void SetOpacity(int opacity);
    int Opacity() const { return opacity_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool selected_ = false;
    std::uint32_t captionColor_ = 0xFFFFFFFF;
    int opacity_ = 255;
};

}  // namespace vantrel
