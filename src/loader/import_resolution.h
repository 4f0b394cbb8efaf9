#pragma once

#include "loader/image_mapping.h"
#include "loader/module_platform.h"
#include "loader/pe_headers.h"

namespace vantrel::pe {

// Fills every import slot of the mapped image with the address of the
// function it names, by name or by ordinal, from libraries the platform
// finds or loads. False when a descriptor, slot or name lies outside the
// mapping, or a library or function cannot be had.
bool ResolveImports(const Headers& h, const Mapping& m, ModulePlatform& platform);

}  // namespace vantrel::pe
