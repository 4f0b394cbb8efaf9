#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// A field of tab-separated output: a tab or line break inside it would shift
// the columns or the rows, so each becomes a blank.
std::string TsvField(std::string text);

// A JSON string literal of UTF-8 text: quotes, backslashes and control
// characters escaped.
std::string JsonString(std::string_view text);

}  // namespace vantrel
