#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_state.h"
#include "app/refresh_cycle.h"
#include "model/list_model.h"

namespace vantrel {

class HistoryStore;

// "weibo", "baidu", "toutiao", "douyin" or "1".."4"; nothing for anything else.
std::optional<SourceId> SourceFromName(std::string_view name);

// The source's name in the history store and on the command line: "weibo", ...
std::string SourceKey(SourceId source);

// A source fetched once for a script, without a window.
struct ScriptFetch {
    int status = 2;                 // 0 filled, 1 answered but filled nothing, 2 the request failed
    std::string reason;             // one line for standard error when status is not 0
    ListModel list;                 // the trending columns, filled as the window fills them
    std::vector<std::string> tags;  // each row's tag word, which the list shows as a picture
    std::vector<std::string> links;  // each row's page, else its video links; may be empty
    int rankBase = 0;                // the rank of the first row: 0 (pinned) or 1
    SourceHealth health;             // which request answered, the last failure
    // Per row, the names (UTF-8) of the rules of rules.json its title matched, in the file's order.
    std::vector<std::vector<std::string>> rowRules;
    std::string rulesStatus;  // UTF-8: why rules.json was not used; empty when it was or is missing
};

// Runs a source's fetch into the same list model the window shows, with the
// keyword highlight the settings file asks for and the rules of the rules file
// beside it (which, when it cannot be used, is kept aside as any start keeps it).
ScriptFetch FetchForScript(SourceId source, const FetchRoutine& fetch,
                           const std::filesystem::path& settingsPath = SettingsPath());

struct PrintedList {
    int status = 2;      // 0 filled, 1 answered but filled nothing, 2 the request failed
    std::string output;  // UTF-8: a header line and one line per row, or a JSON array
    std::string reason;  // one line for standard error when status is not 0
    std::string health;  // UTF-8: which request answered and the last failure (the tooltip's text)
    std::string rulesStatus;  // UTF-8: one line for standard error when rules.json was not used
};

// Fetches as FetchForScript and writes the rows for scripts: tab-separated columns rank, title,
// tag, desc, rank_marker, tag_marker, title_color, change, rules, or the same rows as JSON
// objects, where "rules" is an array and which also carry the request that answered ("request")
// and the source's health ("health"). With a store, a filled list is stored there and `change`
// compares each row with the source's previous stored list ("+n", "-n", "new"); empty without
// one. `rules` names the rules of the rules file the row's title matched, joined by ", " in the
// file's order.
PrintedList PrintList(SourceId source, const FetchRoutine& fetch, bool json,
                      const std::filesystem::path& settingsPath = SettingsPath(),
                      HistoryStore* store = nullptr);

}  // namespace vantrel
