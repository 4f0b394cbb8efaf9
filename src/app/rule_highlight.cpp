#include "app/rule_highlight.h"

#include "app/keyword_monitor.h"
#include "net/code_page.h"

namespace vantrel {
namespace {

bool MonitorMatches(AppState& state, std::string_view title) {
    return state.keywordMonitorOn && TitleMatchesKeywords(title, state);
}

}  // namespace

void ApplyRuleHighlight(ListModel& list, AppState& state, SourceId source, int row) {
    if (row < 0) return;
    const std::string& title = list.ItemTitle(row, COLUMN_TITLE);
    if (state.rowRules.size() <= static_cast<std::size_t>(row)) state.rowRules.resize(row + 1);
    std::vector<std::size_t>& matched = state.rowRules[row];
    matched = state.rules.Matching(source, title);
    if (matched.empty() || MonitorMatches(state, title)) return;
    list.SetItemFontColor(row, COLUMN_TITLE, state.rules.Rules()[matched.front()].color);
}

void ReapplyHighlights(ListModel& list, AppState& state, SourceId source) {
    state.rowRules.clear();
    for (int row = 0; row < list.ItemCount(); ++row) {
        list.SetItemFontColor(row, COLUMN_TITLE, COLOR_TITLE);
        if (state.keywordMonitorOn)
            ApplyKeywordHighlight(list.ItemTitle(row, COLUMN_TITLE), row, list, state);
        ApplyRuleHighlight(list, state, source, row);
    }
}

std::string RuleTip(AppState& state, const ListModel& list, int row) {
    if (row < 0 || row >= list.ItemCount()) return {};
    std::vector<std::string> names;
    if (MonitorMatches(state, list.ItemTitle(row, COLUMN_TITLE))) names.push_back("关键词监控");
    if (static_cast<std::size_t>(row) < state.rowRules.size()) {
        for (const std::size_t index : state.rowRules[row])
            names.push_back(state.rules.Rules()[index].name);
    }
    if (names.empty()) return {};
    std::string tip = "匹配规则：";
    for (std::size_t i = 0; i < names.size(); ++i)
        tip += (i ? "、" : "") + names[i];
    return Utf8ToLocal(tip);
}

}  // namespace vantrel
