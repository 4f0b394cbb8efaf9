#pragma once

#include <cstdint>
#include <span>

#include "model/image.h"
#include "model/list_model.h"

namespace vantrel {

// The PNG files of the list's markers and the tray icon, built into the
// program, drawn once at their size (scale 1) and once at twice it (scale 2)
// for screens of twice the density. Empty for an element outside the group.
std::span<const std::uint8_t> MarkerPng(ImageGroup group, int element, int scale = 1);
std::span<const std::uint8_t> ProgramIconPng(int scale = 1);

// The same pictures decoded.
Image MarkerImage(ImageGroup group, int element, int scale = 1);
Image ProgramIconImage(int scale = 1);

}  // namespace vantrel
