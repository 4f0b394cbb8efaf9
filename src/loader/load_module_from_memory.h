#pragma once

#include <cstdint>
#include <span>

#include "loader/module_platform.h"

namespace vantrel {

// Maps the PE32 or PE32+ library image held in image into memory reserved
// through platform: headers and sections copied, base relocations applied,
// imports resolved, and for a library its entry point told of the attach.
// Returns the image base, which serves as the module's handle, or 0 when the
// image is malformed, is one the platform does not load (checked before
// anything is reserved), or any step fails; memory reserved on the way is
// then released. Every offset the image names is checked against the image
// or the reserved memory before it is followed.
std::uintptr_t LoadModuleFromMemory(std::span<const std::uint8_t> image, ModulePlatform& platform);

}  // namespace vantrel
