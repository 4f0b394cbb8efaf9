#pragma once

#include <string_view>

#include "app/app_state.h"
#include "model/list_model.h"

namespace vantrel {

// "，": the only keyword separator (the ASCII comma and blanks belong to keywords).
inline constexpr char KEYWORD_SEPARATOR[] = "\xA3\xAC";

// True when `title` contains `keywordText` or, when that holds the separator,
// one of its parts: a case-sensitive search in local text that never starts a
// match inside a two-byte character. Keywords are not trimmed. Rebuilds
// `keywordList` from `keywordText`.
bool TitleMatchesKeywords(std::string_view title, AppState& state);

// Colours column 1 of `row` with COLOR_ACCENT when the title matches.
// Returns whether it did.
bool ApplyKeywordHighlight(std::string_view title, int row, ListModel& list, AppState& state);

}  // namespace vantrel
