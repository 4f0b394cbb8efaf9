#pragma once

#include <QImage>

#include "toolkit/hover_button.h"

namespace vantrel {

// The video window's square buttons; glyphs are drawn, so they stay sharp.
class IconButton : public HoverButton {
    Q_OBJECT
  public:
    enum class Glyph { kSound, kShuffle, kDownload };

    IconButton(Glyph glyph, QWidget* parent);

    // Selected: for the sound button, muted.
    void SetSelected(bool selected);
    bool Selected() const { return selected_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Glyph glyph_;
    bool selected_ = false;
};

// The small pictures above the like and the comment counts.
QImage HeartPicture(int size);
QImage CommentPicture(int size);

}  // namespace vantrel
