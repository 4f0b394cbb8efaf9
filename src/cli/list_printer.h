#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_state.h"
#include "app/refresh_cycle.h"
#include "model/list_model.h"
#include "rules/rules_file.h"

namespace vantrel {

// "weibo", "baidu", "toutiao", "douyin" or "1".."4"; nothing for anything else.
std::optional<SourceId> SourceFromName(std::string_view name);

// A source fetched once for a script, without a window.
struct ScriptFetch {
    int status = 2;                 // 0 filled, 1 answered but filled nothing, 2 the request failed
    std::string reason;             // one line for standard error when status is not 0
    ListModel list;                 // the trending columns, filled as the window fills them
    std::vector<std::string> tags;  // each row's tag word, which the list shows as a picture
    SourceHealth health;            // which request answered, the last failure
    // Per row, the names (UTF-8) of the rules of rules.json its title matched, in the file's order.
    std::vector<std::vector<std::string>> rowRules;
    std::string rulesStatus;  // UTF-8: why rules.json was not used; empty when it was or is missing
};

// Runs a source's fetch into the same list model the window shows, with the
// keyword highlight the settings file asks for and the rules of the rules
// file (which, when it cannot be used, is kept aside as any start keeps it).
ScriptFetch FetchForScript(SourceId source, const FetchRoutine& fetch,
                           const std::filesystem::path& settingsPath = SettingsPath(),
                           const std::filesystem::path& rulesPath = RulesPath());

struct PrintedList {
    int status = 2;      // 0 filled, 1 answered but filled nothing, 2 the request failed
    std::string output;  // UTF-8: a header line and one line per row, or a JSON array
    std::string reason;  // one line for standard error when status is not 0
    std::string health;  // UTF-8: which request answered and the last failure (the tooltip's text)
    std::string rulesStatus;  // UTF-8: one line for standard error when rules.json was not used
};

// Fetches as FetchForScript and writes the rows for scripts: tab-separated columns rank, title,
// tag, desc, rank_marker, tag_marker, title_color, rules (the names of the rules the row matched,
// joined by ", "), or the same rows as JSON objects, where "rules" is an array and which also
// carry the request that answered ("request") and the source's health ("health").
PrintedList PrintList(SourceId source, const FetchRoutine& fetch, bool json,
                      const std::filesystem::path& settingsPath = SettingsPath(),
                      const std::filesystem::path& rulesPath = RulesPath());

}  // namespace vantrel
