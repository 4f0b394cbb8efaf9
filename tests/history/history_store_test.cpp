#include "history/history_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "history_test_support.h"
#include "settings/temp_folder.h"

namespace vantrel {
namespace {

using testing::kDay;
using testing::ListAt;
using namespace std::chrono_literals;

void SetTimeZone(const char* zone) {
    ::setenv("TZ", zone, 1);
    ::tzset();
}

class HistoryStoreTest : public ::testing::Test {
  protected:
    testing::TempFolder folder;
    std::filesystem::path file = folder.path() / "vantrel" / "history.sqlite3";
    HistoryStore store{file};

    std::vector<std::string> StoreTexts(const HistoryList& list) {
        const HistoryStore::Stored stored = store.Store(list);
        EXPECT_TRUE(stored.stored);
        std::vector<std::string> texts;
        for (const RankChange& change : stored.changes)
            texts.push_back(ChangeText(change));
        return texts;
    }

    // a b c d → b a c d → b a c e → d b a c → d b a c, one minute apart.
    void StoreRiseFallLeaveReturn() {
        using V = std::vector<std::string>;
        EXPECT_EQ(StoreTexts(ListAt("weibo", 0, {"a", "b", "c", "d"})), (V{"", "", "", ""}));
        EXPECT_EQ(StoreTexts(ListAt("weibo", 1, {"b", "a", "c", "d"})), (V{"+1", "-1", "", ""}));
        EXPECT_EQ(StoreTexts(ListAt("weibo", 2, {"b", "a", "c", "e"})), (V{"", "", "", "new"}));
        EXPECT_EQ(StoreTexts(ListAt("weibo", 3, {"d", "b", "a", "c"})),
                  (V{"new", "-1", "-1", "-1"}));
        EXPECT_EQ(StoreTexts(ListAt("weibo", 4, {"d", "b", "a", "c"})), (V{"", "", "", ""}));
    }
};

TEST_F(HistoryStoreTest, ListsComeBackWholeAcrossInstancesAndPerSource) {
    ASSERT_TRUE(store.Available()) << store.Problem();
    StoreRiseFallLeaveReturn();
    HistoryList baidu = ListAt("baidu", 2, {"x", "d"}, 0);
    baidu.request = "备用接口2";
    baidu.rows[1].hot.reset();
    ASSERT_TRUE(store.Store(baidu).stored);
    EXPECT_FALSE(store.Store(ListAt("douyin", 2, {})).stored);

    HistoryStore again(file);
    EXPECT_EQ(again.LatestList("weibo"), ListAt("weibo", 4, {"d", "b", "a", "c"}));
    EXPECT_EQ(again.LatestLists(),
              (std::vector<HistoryList>{ListAt("weibo", 4, {"d", "b", "a", "c"}), baidu}));
    EXPECT_FALSE(again.LatestList("douyin"));
    EXPECT_EQ(testing::Query(file, "PRAGMA journal_mode")[0], "wal");
}

TEST_F(HistoryStoreTest, TitleListedTwiceIsStoredAtItsFirstRow) {
    ASSERT_TRUE(store.Store(ListAt("toutiao", 0, {"a", "b", "a"})).stored);
    EXPECT_EQ(store.LatestList("toutiao")->rows, ListAt("toutiao", 0, {"a", "b"}).rows);
}

TEST_F(HistoryStoreTest, SummariesOverTheWholeSpanAndPartOfIt) {
    StoreRiseFallLeaveReturn();
    const auto at = [](int minute) { return kDay + std::chrono::minutes(minute); };
    EXPECT_EQ(store.Summaries("weibo", kDay - 1h, kDay + 1h),
              (std::vector<TopicSummary>{{"a", at(0), at(4), 1, 3, 5},
                                         {"b", at(0), at(4), 1, 2, 5},
                                         {"d", at(0), at(4), 1, 1, 4},
                                         {"c", at(0), at(4), 3, 4, 5},
                                         {"e", at(2), at(2), 4, 4, 1}}));
    // Only the lists of minutes 2 and 3.
    EXPECT_EQ(store.Summaries("weibo", at(1) + 30s, at(3) + 30s),
              (std::vector<TopicSummary>{{"b", at(2), at(3), 1, 2, 2},
                                         {"a", at(2), at(3), 2, 3, 2},
                                         {"c", at(2), at(3), 3, 4, 2},
                                         {"e", at(2), at(2), 4, 4, 1},
                                         {"d", at(3), at(3), 1, 1, 1}}));
    EXPECT_TRUE(store.Summaries("weibo", at(5), at(9)).empty());
    EXPECT_TRUE(store.Summaries("douyin", kDay, at(9)).empty());
}

TEST_F(HistoryStoreTest, SeriesHasAGapWhereTheTitleWasOffAndALinePerSource) {
    StoreRiseFallLeaveReturn();
    ASSERT_TRUE(store.Store(ListAt("baidu", 2, {"x", "d"}, 0)).stored);
    const auto at = [](int minute) { return kDay + std::chrono::minutes(minute); };
    EXPECT_EQ(store.Series("d", kDay, at(9)),
              (std::vector<SourceSeries>{{"weibo", {{{{at(0), 4}}, at(1)}, {{{at(3), 1}}, at(4)}}},
                                         {"baidu", {{{{at(2), 1}}, at(2)}}}}));
    EXPECT_EQ(store.Series("a", at(1), at(3)),
              (std::vector<SourceSeries>{{"weibo", {{{{at(1), 2}, {at(3), 3}}, at(3)}}}}));
    EXPECT_TRUE(store.Series("nowhere", kDay, at(9)).empty());
}

TEST_F(HistoryStoreTest, MinutesTodayCountFromLocalMidnight) {
    for (int minute = -2; minute <= 2; ++minute) {
        std::vector<std::string> titles = {"x", minute < 0 ? "yesterday" : "today"};
        if (minute == 0) titles = {"today", "x"};
        HistoryList list = ListAt("toutiao", minute, titles);
        if (minute == 0) list.fetchedAt += 30s;
        ASSERT_TRUE(store.Store(list).stored);
    }
    SetTimeZone("UTC0");
    const HistoryTime now = kDay + 5min;
    EXPECT_EQ(store.Stats("toutiao", "x", now), (TopicStats{"x", kDay - 2min, 1, 2}));
    EXPECT_EQ(store.Today("toutiao", now),
              (std::vector<TopicStats>{{"x", kDay - 2min, 1, 2}, {"today", kDay + 30s, 1, 1}}));
    // Eight hours east the five lists fall on one local day.
    SetTimeZone("CST-8");
    EXPECT_EQ(store.Stats("toutiao", "x", now)->minutesToday, 4);
    EXPECT_EQ(store.Today("toutiao", now).size(), 3u);
    EXPECT_FALSE(store.Stats("toutiao", "never", now));
    SetTimeZone("UTC0");
}

TEST_F(HistoryStoreTest, PruneDropsOldListsAndCutsStretchesReachingBack) {
    const auto daysAgo = [](int days) { return days * -24 * 60; };
    ASSERT_TRUE(store.Store(ListAt("douyin", daysAgo(40), {"old", "long"})).stored);
    ASSERT_TRUE(store.Store(ListAt("douyin", daysAgo(20), {"mid", "long"})).stored);
    ASSERT_TRUE(store.Store(ListAt("douyin", 0, {"new", "long"})).stored);
    ASSERT_TRUE(store.Store(ListAt("baidu", daysAgo(31), {"gone"})).stored);
    ASSERT_TRUE(store.Prune(30, kDay));

    EXPECT_EQ(store.Summaries("douyin", kDay - 1000h, kDay),
              (std::vector<TopicSummary>{{"mid", kDay - 480h, kDay - 480h, 1, 1, 1},
                                         {"long", kDay - 480h, kDay, 2, 2, 2},
                                         {"new", kDay, kDay, 1, 1, 1}}));
    EXPECT_EQ(store.LatestList("douyin"), ListAt("douyin", 0, {"new", "long"}));
    EXPECT_FALSE(store.LatestList("baidu"));
    EXPECT_EQ(testing::Query(file, "SELECT count(*) FROM fetch")[0], "2");
    EXPECT_EQ(testing::Query(file, "SELECT count(*) FROM topic")[0], "3");
    EXPECT_EQ(testing::Query(file, "PRAGMA integrity_check")[0], "ok");

    ASSERT_TRUE(store.ClearAll());
    EXPECT_TRUE(store.LatestLists().empty());
    EXPECT_TRUE(store.Store(ListAt("douyin", 1, {"again"})).stored);
}

TEST(HistoryPath, FollowsXdgDataHome) {
    ::setenv("XDG_DATA_HOME", "/somewhere/data", 1);
    EXPECT_EQ(DefaultHistoryPath(), "/somewhere/data/vantrel/history.sqlite3");
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(DefaultHistoryPath(), "/home/someone/.local/share/vantrel/history.sqlite3");
}

}  // namespace
}  // namespace vantrel
