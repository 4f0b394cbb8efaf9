#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "app/app_state.h"

namespace vantrel {

struct SourceButtonStyle {
    bool selected = false;
    std::uint32_t captionColor = COLOR_IDLE;
};

// Selected state and caption colour of the four source buttons as plain data;
// the window applies them whenever they change.
class SourceButtons {
  public:
    using Listener = std::function<void()>;

    // Button n (1..4) selected with a white caption, the others idle.
    // Other numbers change nothing.
    void Select(SourceId source);
    // Pointer entered: an idle caption turns white.
    void PointerEntered(SourceId source);
    // Pointer left: a white caption turns idle, the selected button's too.
    void PointerLeft(SourceId source);

    const SourceButtonStyle& Style(SourceId source) const;
    void SetListener(Listener listener) { listener_ = std::move(listener); }

  private:
    SourceButtonStyle* Find(SourceId source);
    void Changed();

    std::array<SourceButtonStyle, SOURCE_COUNT> styles_{};
    Listener listener_;
};

}  // namespace vantrel
