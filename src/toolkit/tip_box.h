#pragma once

#include <QFont>
#include <QString>

#include <cstdint>
#include <optional>

class QWidget;

namespace vantrel {

// Where the tooltip box appears relative to the pointer.
enum class TipPosition {
    kAbovePointer = 0,
    kBelowPointer = 4,  // just below and to the right of the pointer
};

struct TipOptions {
    QString text;
    int displayMs = 3000;  // closes itself after this long; 0 keeps it until closed
    TipPosition position = TipPosition::kBelowPointer;
    std::uint32_t background = 0xFF2C2C2C;
    std::uint32_t textColor = 0xFFFFFFFF;
    int opacity = 255;
    std::optional<int> maxWidth;  // wraps longer texts
    std::optional<std::uint32_t> borderColor;
    int borderWidth = 1;
    std::optional<QFont> font;
};

// The one floating tooltip box of the program: a new tip replaces the shown one.
void PopUpTipBox(const TipOptions& options);
// Closing when no tip is shown does nothing.
void CloseTipBox();
// The box while it is shown, for placing checks; null otherwise.
QWidget* ShownTipBox();
// The text of the shown tip; empty when none is shown.
QString ShownTipText();

}  // namespace vantrel
