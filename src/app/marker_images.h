#pragma once

#include <cstdint>
#include <span>

#include "model/image.h"
#include "model/list_model.h"

namespace vantrel {

// The PNG files of the list's markers and the tray icon, built into the
// program. Empty for an element outside the group.
std::span<const std::uint8_t> MarkerPng(ImageGroup group, int element);
std::span<const std::uint8_t> ProgramIconPng();

// The same pictures decoded.
Image MarkerImage(ImageGroup group, int element);
Image ProgramIconImage();

}  // namespace vantrel
