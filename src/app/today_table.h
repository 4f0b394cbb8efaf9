#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "export/xls_writer.h"
#include "history/history_types.h"
#include "model/source_id.h"

namespace vantrel {

// The history window's "今日" table: every topic of one source seen today.
enum class TodayColumn { kTitle, kFirstSeen, kBestRank, kMinutes };
inline constexpr int TODAY_COLUMN_COUNT = 4;

struct TodayOrder {
    TodayColumn column = TodayColumn::kFirstSeen;
    bool descending = false;
};

// A header click: the same column turns the order round; another column
// starts in the order its values are read best (time and rank from the top,
// minutes from the most).
TodayOrder NextOrder(TodayOrder current, TodayColumn clicked);

// Sorted stably: topics equal in the column keep their first-seen order.
void SortTopics(std::vector<TopicStats>& topics, TodayOrder order);

// A first-seen time as the table shows it: the local "HH:MM" on the local
// day of `now`, "M月D日 HH:MM" on an earlier day (a topic on the board since).
std::string FirstSeenText(HistoryTime at, HistoryTime now);

// The cells of one row as the table and the sheet show them (UTF-8).
std::vector<std::string> TodayCells(const TopicStats& topic, HistoryTime now);

// The header row "话题", "首次出现", "最高排名", "在榜分钟" and one row per
// topic, in local text for the .xls writer.
SheetRows TodaySheetRows(const std::vector<TopicStats>& topics, HistoryTime now);

// The file name offered for the table: "新浪微博今日话题" and the moment as
// exports stamp it, ".xls" (UTF-8).
std::string TodaySheetName(SourceId source, const std::tm& local);

}  // namespace vantrel
