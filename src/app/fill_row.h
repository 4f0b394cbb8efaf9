#pragma once

#include <optional>
#include <string_view>

#include "app/app_state.h"
#include "model/list_model.h"
#include "sources/fetch_result.h"

namespace vantrel {

// The TagIcons element a tag selects: Weibo words "hot", "new", "jian_yellow",
// "fei", "boom" and Baidu digits "3" (hot) and "1" (new). Anything else,
// Baidu's "0" included, selects none.
std::optional<int> TagElement(std::string_view tag);

// The RankIcons element rank k shows: 0 for the pinned entry (k = 0), 1..3 for
// the first three; none for other ranks, which are written as text.
std::optional<int> RankElement(int rank);

// Appends one row for `entry` with rank `rank`: rank text or marker, title,
// description, tag marker and colours; while the keyword monitor runs, the
// title is tested against the keywords. Returns the row's index.
int FillRow(ListModel& list, AppState& state, int rank, const ListEntry& entry);

}  // namespace vantrel
