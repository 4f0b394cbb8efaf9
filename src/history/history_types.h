#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Every text here is UTF-8 (the file's own encoding); the application
// converts its local text at the boundary.
namespace vantrel {

using HistoryTime = std::chrono::system_clock::time_point;

// One row of a filled list as the list shows it.
struct HistoryRow {
    int rank = 0;  // the rank the list shows: Weibo's pinned row is 0
    std::string title;
    std::string tag;                  // the tag word or digit; may be empty
    std::optional<std::int64_t> hot;  // the hot value, where the answer has one
    std::string link;                 // the row's link or id; may be empty

    bool operator==(const HistoryRow&) const = default;
};

// One filled list of one source.
struct HistoryList {
    std::string source;  // "weibo", "baidu", "toutiao", "douyin"
    HistoryTime fetchedAt{};
    std::string request;  // the request that answered, as the health shows it
    std::vector<HistoryRow> rows;

    bool operator==(const HistoryList&) const = default;
};

// A topic's standing: first seen and best rank over the stored lists,
// minutes on the board during the local day.
struct TopicStats {
    std::string title;
    HistoryTime firstSeen{};
    int bestRank = 0;
    int minutesToday = 0;

    bool operator==(const TopicStats&) const = default;
};

// One topic over a stretch of time (`--history`): over the stored lists of
// that stretch holding the title.
struct TopicSummary {
    std::string title;
    HistoryTime firstSeen{};
    HistoryTime lastSeen{};
    int bestRank = 0;
    int latestRank = 0;   // in the latest of those lists
    int appearances = 0;  // how many of those lists hold it

    bool operator==(const TopicSummary&) const = default;
};

struct RankPoint {
    HistoryTime at{};
    int rank = 0;

    bool operator==(const RankPoint&) const = default;
};

// One stay on the board: each step holds its rank from its moment until the
// next step, the last until `end` (the last list that held the title).
struct RankRun {
    std::vector<RankPoint> steps;
    HistoryTime end{};

    bool operator==(const RankRun&) const = default;
};

// A title's rank on one source; between runs it was off the board.
struct SourceSeries {
    std::string source;
    std::vector<RankRun> runs;

    bool operator==(const SourceSeries&) const = default;
};

}  // namespace vantrel
