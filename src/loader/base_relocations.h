#pragma once

#include "loader/image_mapping.h"
#include "loader/pe_headers.h"

namespace vantrel::pe {

// Moves every address word the relocation directory names by the distance
// between the mapping's base and the image's preferred base. False when the
// directory or a block in it is malformed or names a word outside the
// writable part of the mapping.
bool ApplyRelocations(const Headers& h, const Mapping& m);

}  // namespace vantrel::pe
