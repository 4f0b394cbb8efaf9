#pragma once

#include <QColor>
#include <QFont>

#include <cstdint>

namespace vantrel {

// Colours travel through the program as 32-bit ARGB words, as the windows'
// handlers set and compare them.
QColor ColorFromArgb(std::uint32_t argb);
std::uint32_t ArgbFromColor(const QColor& color);

// The dark skin shared by every control.
namespace skin {
inline constexpr std::uint32_t kWindow = 0xFF1B1D24;
inline constexpr std::uint32_t kWindowEdge = 0xFF2F3340;
inline constexpr std::uint32_t kPanel = 0xFF22252E;
inline constexpr std::uint32_t kPanelHover = 0xFF2A2E39;
inline constexpr std::uint32_t kPanelSelected = 0xFF30364A;
inline constexpr std::uint32_t kLine = 0xFF2C303B;
inline constexpr std::uint32_t kMutedText = 0xFF7C8499;
inline constexpr std::uint32_t kText = 0xFFE6E8EE;
inline constexpr std::uint32_t kAccent = 0xFFFF8E17;
inline constexpr std::uint32_t kDanger = 0xFFE5484D;
}  // namespace skin

// The family the windows are designed for when it is installed, else the CJK
// family that is; never a family that would draw Chinese as boxes.
QString SkinFontFamily();
QFont SkinFont(int pixelSize, bool bold = false);

// Opacity as the controls take it: 0..255, clamped.
double OpacityFraction(int opacity);

}  // namespace vantrel
