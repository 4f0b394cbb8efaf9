#pragma once

#include <string>
#include <vector>

#include "model/source_id.h"

namespace vantrel {

// One title a notification tells of, with what opening it as its row needs.
struct HotAlert {
    SourceId source = SourceId::kNone;
    int rank = 0;       // as the list numbers it; 0 is the pinned entry
    std::string title;  // local text
    std::string page;   // the row's own page, when its request gave one
    std::string links;  // Douyin: the row's video links, "|"-joined
};

// One desktop notification: a single title, or several of one source's list
// that arrived together.
struct AlertNotice {
    SourceId source = SourceId::kNone;
    std::vector<HotAlert> alerts;
};

// "热点提醒 · 微博" (UTF-8), with the short name the source's tooltip uses.
std::string AlertSummary(const AlertNotice& notice);

// UTF-8. One title: "第3名 · title" ("置顶 · title" for the pinned entry).
// Several: "N 条热点", then one such line per title (the first five, then "…").
std::string AlertBody(const AlertNotice& notice);

}  // namespace vantrel
