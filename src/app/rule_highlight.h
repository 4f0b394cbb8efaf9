#pragma once

#include <string>

#include "app/app_state.h"
#include "model/list_model.h"

namespace vantrel {

// Notes in state.rowRules[row] which rules the row's title matched on that
// source and, unless the keyword monitor coloured the title, colours it with
// the first matching rule's colour. Rows are marked in order, as they are filled.
void ApplyRuleHighlight(ListModel& list, AppState& state, SourceId source, int row);

// After the rules or the monitor changed: every row's title colour and
// matches afresh, as a fill would give them.
void ReapplyHighlights(ListModel& list, AppState& state, SourceId source);

// The row's tooltip (local text): "匹配规则：" and the rules that matched,
// the keyword monitor first when it did; empty when none did.
std::string RuleTip(AppState& state, const ListModel& list, int row);

}  // namespace vantrel
