#include "app/today_table.h"

#include <algorithm>
#include <cstdio>

#include "export/sheet_export.h"
#include "model/date_stamp.h"
#include "net/code_page.h"

namespace vantrel {

TodayOrder NextOrder(TodayOrder current, TodayColumn clicked) {
    if (current.column == clicked) return {clicked, !current.descending};
    return {clicked, clicked == TodayColumn::kMinutes};
}

void SortTopics(std::vector<TopicStats>& topics, TodayOrder order) {
    const auto less = [column = order.column](const TopicStats& a, const TopicStats& b) {
        switch (column) {
            case TodayColumn::kTitle:
                return a.title < b.title;
            case TodayColumn::kFirstSeen:
                return a.firstSeen < b.firstSeen;
            case TodayColumn::kBestRank:
                return a.bestRank < b.bestRank;
            case TodayColumn::kMinutes:
                return a.minutesToday < b.minutesToday;
        }
        return false;
    };
    // Ties stay by first seen whichever way the column runs.
    std::stable_sort(topics.begin(), topics.end(), [](const TopicStats& a, const TopicStats& b) {
        return a.firstSeen < b.firstSeen;
    });
    std::stable_sort(topics.begin(), topics.end(), [&](const TopicStats& a, const TopicStats& b) {
        return order.descending ? less(b, a) : less(a, b);
    });
}

namespace {

std::tm LocalTime(HistoryTime at) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return local;
}

}  // namespace

std::string FirstSeenText(HistoryTime at, HistoryTime now) {
    const std::tm local = LocalTime(at);
    const std::tm today = LocalTime(now);
    char text[40];
    std::snprintf(text, sizeof text, "%02d:%02d", local.tm_hour, local.tm_min);
    if (local.tm_year == today.tm_year && local.tm_yday == today.tm_yday) return text;
    return std::to_string(local.tm_mon + 1) + "月" + std::to_string(local.tm_mday) + "日 " + text;
}

std::vector<std::string> TodayCells(const TopicStats& topic, HistoryTime now) {
    return {topic.title, FirstSeenText(topic.firstSeen, now), std::to_string(topic.bestRank),
            std::to_string(topic.minutesToday)};
}

SheetRows TodaySheetRows(const std::vector<TopicStats>& topics, HistoryTime now) {
    SheetRows rows;
    rows.reserve(topics.size() + 1);
    rows.push_back({Utf8ToLocal("话题"), Utf8ToLocal("首次出现"), Utf8ToLocal("最高排名"),
                    Utf8ToLocal("在榜分钟")});
    for (const TopicStats& topic : topics) {
        std::vector<std::string> cells = TodayCells(topic, now);
        for (std::string& cell : cells)
            cell = Utf8ToLocal(cell);
        rows.push_back(std::move(cells));
    }
    return rows;
}

std::string TodaySheetName(SourceId source, const std::tm& local) {
    // The export's list name without its leading slash.
    const std::string list = ToUtf8(SheetFileName(source)).substr(1);
    return list + "今日话题" + DateStamp(local) + ".xls";
}

}  // namespace vantrel
