#pragma once

#include <string_view>

namespace vantrel {

// Whether the local-text title contains word: case-sensitive, by bytes, and
// never starting inside a multi-byte character. An empty word (an emptied
// box, two separators in a row) matches nothing rather than every title.
// The keyword monitor and the rules compare words alike through this.
bool ContainsWord(std::string_view title, std::string_view word);

}  // namespace vantrel
