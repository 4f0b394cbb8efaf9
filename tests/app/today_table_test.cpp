#include "app/today_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "net/code_page.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;

const HistoryTime kNoon = std::chrono::sys_days{std::chrono::year{2026} / 12 / 9} + 12h;

std::vector<std::string> Titles(const std::vector<TopicStats>& topics) {
    std::vector<std::string> titles;
    for (const TopicStats& topic : topics)
        titles.push_back(topic.title);
    return titles;
}

class TodayTable : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TZ", "Asia/Shanghai", 1);
        ::tzset();
    }
    void TearDown() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    // First seen in this order; B and C tie on best rank, A and C on minutes.
    std::vector<TopicStats> topics_{{"A", kNoon, 3, 40},
                                    {"B", kNoon + 5min, 1, 10},
                                    {"C", kNoon + 10min, 1, 40},
                                    {"D", kNoon + 15min, 7, 5}};
};

TEST_F(TodayTable, HeaderClicksSortEachColumnWithTiesByFirstSeen) {
    TodayOrder order;
    EXPECT_EQ(order.column, TodayColumn::kFirstSeen);
    EXPECT_FALSE(order.descending);

    order = NextOrder(order, TodayColumn::kBestRank);
    EXPECT_FALSE(order.descending);
    SortTopics(topics_, order);
    EXPECT_EQ(Titles(topics_), (std::vector<std::string>{"B", "C", "A", "D"}));
    order = NextOrder(order, TodayColumn::kBestRank);
    EXPECT_TRUE(order.descending);
    SortTopics(topics_, order);
    // Turned round, the ties still read by first seen.
    EXPECT_EQ(Titles(topics_), (std::vector<std::string>{"D", "A", "B", "C"}));

    // Minutes start from the most.
    order = NextOrder(order, TodayColumn::kMinutes);
    EXPECT_TRUE(order.descending);
    SortTopics(topics_, order);
    EXPECT_EQ(Titles(topics_), (std::vector<std::string>{"A", "C", "B", "D"}));

    order = NextOrder(order, TodayColumn::kTitle);
    order = NextOrder(order, TodayColumn::kTitle);
    SortTopics(topics_, order);
    EXPECT_EQ(Titles(topics_), (std::vector<std::string>{"D", "C", "B", "A"}));
    SortTopics(topics_, NextOrder(order, TodayColumn::kFirstSeen));
    EXPECT_EQ(Titles(topics_), (std::vector<std::string>{"A", "B", "C", "D"}));
}

TEST_F(TodayTable, RowsAndNameInLocalTime) {
    // 12:00 UTC is 20:00 in Shanghai.
    EXPECT_EQ(TodayCells(topics_[1], kNoon), (std::vector<std::string>{"B", "20:05", "1", "10"}));
    // On the board since the day before: the date too. 15:59 UTC is past midnight in Shanghai.
    EXPECT_EQ(FirstSeenText(kNoon - 1h, kNoon + 4h), "12月9日 19:00");
    EXPECT_EQ(FirstSeenText(kNoon + 4h, kNoon + 4h), "00:00");
    const SheetRows rows = TodaySheetRows({topics_[0], {"暴雪😀", kNoon + 61min, 12, 0}}, kNoon);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(ToUtf8(rows[0][0]) + ToUtf8(rows[0][3]), "话题在榜分钟");
    EXPECT_EQ(ToUtf8(rows[2][0]), "暴雪😀");
    EXPECT_EQ(rows[2][1], "21:01");
    EXPECT_EQ(rows[2][2], "12");

    std::tm local{};
    local.tm_year = 126;
    local.tm_mon = 11;
    local.tm_mday = 9;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 7;
    EXPECT_EQ(TodaySheetName(SourceId::kBaidu, local),
              "百度热点今日话题2026年12月9日9时5分7秒.xls");
}

}  // namespace
}  // namespace vantrel
