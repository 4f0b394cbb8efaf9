#include "history/rank_change.h"

#include <gtest/gtest.h>

#include "history/history_report.h"
#include "history_test_support.h"

namespace vantrel {
namespace {

using testing::ListAt;

std::vector<std::string> Texts(const HistoryList* previous, const HistoryList& list) {
    std::vector<std::string> texts;
    for (const RankChange& change : CompareLists(previous, list.rows))
        texts.push_back(ChangeText(change));
    return texts;
}

TEST(RankChange, RiseFallNewAndSameByExactTitle) {
    // Weibo's pinned row is rank 0 and a topic like the others.
    const HistoryList before = ListAt("weibo", 0, {"pin", "a", "b", "c", "d"}, 0);
    const HistoryList after = ListAt("weibo", 1, {"c", "pin", "b", "A", "a"}, 0);
    EXPECT_EQ(Texts(&before, after), (std::vector<std::string>{"+3", "-1", "", "new", "-3"}));
}

TEST(RankChange, NothingToCompareWithGivesEmptyTexts) {
    const HistoryList list = ListAt("baidu", 0, {"a", "b"});
    EXPECT_EQ(Texts(nullptr, list), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(CompareLists(nullptr, list.rows)[0].kind, RankChange::Kind::kUnknown);
}

TEST(RankChange, TitleListedTwiceEarlierCountsAtItsFirstRow) {
    const HistoryList before = ListAt("douyin", 0, {"a", "b", "a"});
    EXPECT_EQ(Texts(&before, ListAt("douyin", 1, {"b", "a"})),
              (std::vector<std::string>{"+1", "-1"}));
}

TEST(HistoryReport, DurationsInMinutesHoursDays) {
    EXPECT_EQ(ParseHistoryDuration("90m"), std::chrono::seconds(5400));
    EXPECT_EQ(ParseHistoryDuration("24h"), std::chrono::seconds(86400));
    EXPECT_EQ(ParseHistoryDuration("7d"), std::chrono::seconds(604800));
    for (const char* bad : {"", "m", "0h", "-5m", "5", "5s", "1.5h", "h5", "5mm", " 5m",
                            "99999999999999999999d", "9999999999d"})
        EXPECT_FALSE(ParseHistoryDuration(bad)) << bad;
}

TEST(HistoryReport, TsvAndJsonWithUtcTimes) {
    using namespace std::chrono_literals;
    const std::vector<TopicSummary> rows = {
        {"tab\there", testing::kDay + 19h + 20min + 5s + 999ms, testing::kDay + 20h, 0, 3, 12},
        {"say \"hi\"\\\n", testing::kDay, testing::kDay, 7, 7, 1}};
    EXPECT_EQ(FormatTopicSummaries(rows, HistoryFormat::kTsv),
              "title\tfirst_seen\tlast_seen\tbest_rank\tlatest_rank\tappearances\n"
              "tab here\t2026-12-09T19:20:05Z\t2026-12-09T20:00:00Z\t0\t3\t12\n"
              "say \"hi\"\\ \t2026-12-09T00:00:00Z\t2026-12-09T00:00:00Z\t7\t7\t1\n");
    EXPECT_EQ(FormatTopicSummaries(rows, HistoryFormat::kJson),
              "[\n {\"title\": \"tab\\u0009here\", \"first_seen\": \"2026-12-09T19:20:05Z\","
              " \"last_seen\": \"2026-12-09T20:00:00Z\", \"best_rank\": 0, \"latest_rank\": 3,"
              " \"appearances\": 12},\n {\"title\": \"say \\\"hi\\\"\\\\\\u000A\","
              " \"first_seen\": \"2026-12-09T00:00:00Z\", \"last_seen\": \"2026-12-09T00:00:00Z\","
              " \"best_rank\": 7, \"latest_rank\": 7, \"appearances\": 1}\n]\n");
    EXPECT_EQ(FormatTopicSummaries({}, HistoryFormat::kJson), "[]\n");
}

}  // namespace
}  // namespace vantrel
