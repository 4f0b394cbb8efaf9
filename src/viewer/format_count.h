#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// A like or comment count as the video window shows it: above 10000 in whole
// ten-thousands with "w" (123456 gives "12w", 10001 gives "1w"), else the
// text as it came ("10000" stays "10000").
std::string FormatCount(std::string_view text);

}  // namespace vantrel
