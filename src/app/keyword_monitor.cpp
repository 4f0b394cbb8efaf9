#include "app/keyword_monitor.h"

#include "net/local_text.h"
#include "rules/word_match.h"

namespace vantrel {

bool TitleMatchesKeywords(std::string_view title, AppState& state) {
    if (Find(state.keywordText, KEYWORD_SEPARATOR) == -1) {
        return ContainsWord(title, state.keywordText);
    }
    state.keywordList = SplitText(state.keywordText, KEYWORD_SEPARATOR);
    bool matched = false;
    for (const std::string& keyword : state.keywordList) {
        if (ContainsWord(title, keyword)) matched = true;
    }
    return matched;
}

bool ApplyKeywordHighlight(std::string_view title, int row, ListModel& list, AppState& state) {
    if (!TitleMatchesKeywords(title, state)) return false;
    list.SetItemFontColor(row, COLUMN_TITLE, COLOR_ACCENT);
    return true;
}

}  // namespace vantrel
