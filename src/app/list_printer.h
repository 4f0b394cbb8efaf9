#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "app/refresh_cycle.h"

namespace vantrel {

// "weibo", "baidu", "toutiao", "douyin" or "1".."4"; nothing for anything else.
std::optional<SourceId> SourceFromName(std::string_view name);

struct PrintedList {
    int status = 2;      // 0 filled, 1 answered but filled nothing, 2 the request failed
    std::string output;  // UTF-8: a header line and one line per row, or a JSON array
    std::string reason;  // one line for standard error when status is not 0
};

// Runs a source's fetch into the same list model the window shows, with the
// keyword highlight the settings file asks for, and writes the rows for
// scripts: tab-separated columns rank, title, tag, desc, rank_marker,
// tag_marker, title_color, or the same rows as JSON objects.
PrintedList PrintList(SourceId source, const FetchRoutine& fetch, bool json,
                      const std::filesystem::path& settingsPath = SettingsPath());

}  // namespace vantrel
