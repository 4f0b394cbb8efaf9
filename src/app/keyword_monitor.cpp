#include "app/keyword_monitor.h"

#include "net/local_text.h"

namespace vantrel {

namespace {

// Containment from the first character. An empty keyword (an emptied box,
// or two separators in a row) matches nothing rather than every title.
bool Contains(std::string_view title, std::string_view keyword) {
    return !keyword.empty() && Find(title, keyword) != -1;
}

}  // namespace

bool TitleMatchesKeywords(std::string_view title, AppState& state) {
    if (Find(state.keywordText, KEYWORD_SEPARATOR) == -1) {
        return Contains(title, state.keywordText);
    }
    state.keywordList = SplitText(state.keywordText, KEYWORD_SEPARATOR);
    bool matched = false;
    for (const std::string& keyword : state.keywordList) {
        if (Contains(title, keyword)) matched = true;
    }
    return matched;
}

bool ApplyKeywordHighlight(std::string_view title, int row, ListModel& list, AppState& state) {
    if (!TitleMatchesKeywords(title, state)) return false;
    list.SetItemFontColor(row, COLUMN_TITLE, COLOR_ACCENT);
    return true;
}

}  // namespace vantrel
