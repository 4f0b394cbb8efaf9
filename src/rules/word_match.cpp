#include "rules/word_match.h"

#include "net/local_text.h"

namespace vantrel {

bool ContainsWord(std::string_view title, std::string_view word) {
    return !word.empty() && Find(title, word) != -1;
}

}  // namespace vantrel
