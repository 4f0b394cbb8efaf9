#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// The text as a JSON string literal: quotes, backslashes and control
// characters escaped ("\u000A"), everything else as it stands, so UTF-8 stays UTF-8.
std::string JsonQuoted(std::string_view text);

}  // namespace vantrel
