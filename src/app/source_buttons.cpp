#include "app/source_buttons.h"

namespace vantrel {

namespace {

const SourceButtonStyle kNoButton{};

}  // namespace

SourceButtonStyle* SourceButtons::Find(SourceId source) {
    const int n = static_cast<int>(source);
    return IsSourceNumber(n) ? &styles_[n - 1] : nullptr;
}

const SourceButtonStyle& SourceButtons::Style(SourceId source) const {
    const int n = static_cast<int>(source);
    return IsSourceNumber(n) ? styles_[n - 1] : kNoButton;
}

void SourceButtons::Select(SourceId source) {
    SourceButtonStyle* chosen = Find(source);
    if (!chosen) return;
    for (SourceButtonStyle& style : styles_) {
        style.selected = &style == chosen;
        style.captionColor = &style == chosen ? COLOR_WHITE : COLOR_IDLE;
    }
    Changed();
}

void SourceButtons::PointerEntered(SourceId source) {
    SourceButtonStyle* style = Find(source);
    if (!style || style->captionColor != COLOR_IDLE) return;
    style->captionColor = COLOR_WHITE;
    Changed();
}

void SourceButtons::PointerLeft(SourceId source) {
    SourceButtonStyle* style = Find(source);
    if (!style || style->captionColor != COLOR_WHITE) return;
    style->captionColor = COLOR_IDLE;
    Changed();
}

void SourceButtons::Changed() {
    if (listener_) listener_();
}

}  // namespace vantrel
