#pragma once

#include <cstdint>

namespace vantrel {

// Colours as the list and the caption buttons take them: 32-bit ARGB.
inline constexpr std::uint32_t COLOR_ACCENT = 0xFFFF8E17;
inline constexpr std::uint32_t COLOR_TITLE = 0xFFBBBBBB;
inline constexpr std::uint32_t COLOR_IDLE = 0xFF6D7794;
inline constexpr std::uint32_t COLOR_WHITE = 0xFFFFFFFF;

}  // namespace vantrel
