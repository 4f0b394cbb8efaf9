#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_types.h"

namespace vantrel {

// "90m", "24h", "7d": a positive whole number and its unit. Nothing for
// anything else, zero included.
std::optional<std::chrono::seconds> ParseHistoryDuration(std::string_view text);

// ISO 8601 in UTC to the second: "2026-12-09T19:20:05Z".
std::string FormatUtcTime(HistoryTime time);

enum class HistoryFormat { kTsv, kJson };

// `--history`: a header line and one tab-separated line per topic with the
// columns title, first_seen, last_seen, best_rank, latest_rank, appearances;
// or a JSON array of objects with those fields (ranks and counts as numbers).
std::string FormatTopicSummaries(const std::vector<TopicSummary>& summaries, HistoryFormat format);

}  // namespace vantrel
