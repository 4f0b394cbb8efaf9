#include "app/list_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/change_marker.h"
#include "app/refresh_cycle.h"
#include "app/source_health.h"
#include "app/stored_list.h"
#include "net/code_page.h"
#include "settings/temp_folder.h"

namespace vantrel {
namespace {

using std::chrono::minutes;

FetchResult Answer(int rankBase, const std::vector<std::string>& titles, int answeredBy = 0) {
    FetchResult result;
    result.status = FetchStatus::kParsed;
    result.rankBase = rankBase;
    result.answeredBy = answeredBy;
    for (const std::string& title : titles)
        result.entries.push_back({Utf8ToLocal(title), "hot", "", "", ""});
    return result;
}

FetchResult Silence() {
    FetchResult result;
    result.answeredBy = -1;
    result.failures = {{0, FetchFailure::kTimeout, 0}};
    return result;
}

class ListHistoryTest : public ::testing::Test {
  protected:
    void SetUp() override { SetUpTrendingColumns(list); }

    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (int row = 0; row < list.ItemCount(); ++row)
            titles.push_back(ToUtf8(list.ItemTitle(row, COLUMN_TITLE)));
        return titles;
    }
    std::vector<std::string> Badges() const {
        std::vector<std::string> badges;
        for (int row = 0; row < list.ItemCount(); ++row)
            badges.push_back(ToUtf8(list.Row(row).cells[COLUMN_TITLE].badge));
        return badges;
    }
    // The window's wiring of the cycle to the store.
    void Wire(ListHistory& history) {
        cycle.SetListKeeper([&history](SourceId source, const FetchResult& result, TimePoint at) {
            return history.Keep(source, result, at);
        });
        cycle.SetStoredLists([&history](SourceId source) { return history.Latest(source); });
    }

    testing::TempFolder folder;
    AppState state;
    ListModel list;
    SourceButtons buttons;
    // The store keeps milliseconds.
    TimePoint now =
        std::chrono::floor<std::chrono::milliseconds>(std::chrono::system_clock::now()) -
        minutes(30);
    RefreshCycle cycle{state, list, buttons, [this] { return now; }};
};

TEST(StoredListTest, AStoredListFillsAsTheFetchedOneDid) {
    FetchResult douyin = Answer(1, {"甲", "乙"}, 2);
    douyin.entries[0].links = "http://v/2|http://v/1";
    const TimePoint at = std::chrono::system_clock::now();
    const HistoryList kept = ToHistoryList(SourceId::kDouyin, douyin, at);
    EXPECT_EQ(kept.source, "douyin");
    EXPECT_EQ(kept.request, "备用接口2");
    ASSERT_EQ(kept.rows.size(), 2u);
    EXPECT_EQ(kept.rows[1], (HistoryRow{2, "乙", "hot", std::nullopt, ""}));

    const FetchResult again = StoredAnswer(kept);
    EXPECT_EQ(again.rankBase, 1);
    EXPECT_EQ(again.answeredBy, 2);
    ASSERT_EQ(again.entries.size(), 2u);
    EXPECT_EQ(again.entries[0].title, douyin.entries[0].title);
    EXPECT_EQ(again.entries[0].tag, "hot");
    EXPECT_EQ(again.entries[0].links, "http://v/2|http://v/1");
    // Another source's link is a page of the row's own; Weibo's pinned row keeps rank 0.
    FetchResult weibo = Answer(0, {"置顶", "一"});
    weibo.entries[1].page = "http://p/1";
    const FetchResult weiboAgain = StoredAnswer(ToHistoryList(SourceId::kWeibo, weibo, at));
    EXPECT_EQ(weiboAgain.rankBase, 0);
    EXPECT_EQ(weiboAgain.entries[1].page, "http://p/1");
    EXPECT_TRUE(weiboAgain.entries[1].links.empty());
}

TEST(ChangeMarkerTest, RiseFallAndNewAreMarkedAndTheRestIsNot) {
    using Kind = RankChange::Kind;
    EXPECT_EQ(ToUtf8(ChangeMarkerOf({Kind::kRose, 3}).text), "▲3");
    EXPECT_EQ(ChangeMarkerOf({Kind::kRose, 3}).color, COLOR_ROSE);
    EXPECT_EQ(ToUtf8(ChangeMarkerOf({Kind::kFell, 12}).text), "▼12");
    EXPECT_EQ(ChangeMarkerOf({Kind::kFell, 12}).color, COLOR_FELL);
    EXPECT_EQ(ToUtf8(ChangeMarkerOf({Kind::kNew, 0}).text), "新");
    EXPECT_TRUE(ChangeMarkerOf({Kind::kSame, 0}).text.empty());
    EXPECT_TRUE(ChangeMarkerOf({Kind::kUnknown, 0}).text.empty());
}

// Fills, rises, falls and news against the previous kept list of the same source;
// a failed fetch keeps nothing and leaves the marks as they were.
TEST_F(ListHistoryTest, EachFilledListIsKeptAndItsRowsMarked) {
    ListHistory history(folder.path() / "history.sqlite3");
    ASSERT_TRUE(history.Problem().empty()) << history.Problem();
    Wire(history);
    FetchResult answer = Answer(1, {"a", "b", "c"});
    cycle.SetFetchRoutine(SourceId::kBaidu, [&] { return answer; });
    cycle.SelectSource(SourceId::kBaidu);
    EXPECT_EQ(Badges(), (std::vector<std::string>{"", "", ""}));  // nothing to compare with

    answer = Answer(1, {"c", "a", "d"}, 1);
    now += minutes(1);
    cycle.SelectSource(SourceId::kBaidu);
    EXPECT_EQ(Badges(), (std::vector<std::string>{"▲2", "▼1", "新"}));
    EXPECT_EQ(list.Row(2).cells[COLUMN_TITLE].badgeColor, COLOR_NEW);

    answer = Silence();
    now += minutes(1);
    cycle.SelectSource(SourceId::kBaidu);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"c", "a", "d"}));
    EXPECT_EQ(Badges(), (std::vector<std::string>{"▲2", "▼1", "新"}));
    const std::optional<HistoryList> latest = history.Latest(SourceId::kBaidu);
    ASSERT_TRUE(latest);
    EXPECT_EQ(latest->request, "备用接口1");
    EXPECT_EQ(latest->fetchedAt, now - minutes(1));

    const std::string tip = ToUtf8(history.RowTip(SourceId::kBaidu, Utf8ToLocal("c"), now));
    EXPECT_NE(tip.find("首次上榜 "), std::string::npos) << tip;
    EXPECT_NE(tip.find("最高第1名"), std::string::npos) << tip;
    EXPECT_TRUE(history.RowTip(SourceId::kBaidu, Utf8ToLocal("never"), now).empty());
}

// Start-up and a switch show the kept list before any answer, counting its age from
// its fetch; a silent service leaves it on screen with the failure beside the age.
TEST_F(ListHistoryTest, AKeptListIsShownWhileTheFetchWaitsAndStaysWhenItFails) {
    const TimePoint fetched = now - minutes(5);
    {
        ListHistory earlier(folder.path() / "history.sqlite3");
        earlier.Keep(SourceId::kWeibo, Answer(0, {"pinned", "one"}), fetched);
        earlier.Keep(SourceId::kToutiao, Answer(1, {"t1", "t2"}), fetched - minutes(60));
    }
    ListHistory history(folder.path() / "history.sqlite3");
    Wire(history);

    ASSERT_TRUE(cycle.ShowStored(SourceId::kWeibo));
    EXPECT_EQ(Titles(), (std::vector<std::string>{"pinned", "one"}));
    EXPECT_TRUE(list.IsElementVisible(0, COLUMN_RANK, 0));  // still the pinned row
    EXPECT_TRUE(buttons.Style(SourceId::kWeibo).selected);
    EXPECT_EQ(ToUtf8(StatusLabelText(state, now)), "5分前更新");
    EXPECT_FALSE(cycle.ShowStored(SourceId::kBaidu));  // nothing kept for it
    EXPECT_EQ(list.ItemCount(), 0);

    std::string whileWaiting;
    std::vector<std::string> rowsWhileWaiting;
    cycle.SetFetchRoutine(SourceId::kToutiao, [&] {
        whileWaiting = ToUtf8(StatusLabelText(state, now));
        rowsWhileWaiting = Titles();
        return Silence();
    });
    cycle.SelectSource(SourceId::kToutiao);
    EXPECT_EQ(rowsWhileWaiting, (std::vector<std::string>{"t1", "t2"}));
    EXPECT_EQ(whileWaiting, "1时5分前更新 · 正在加载…");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"t1", "t2"}));
    EXPECT_EQ(ToUtf8(StatusLabelText(state, now)), "1时5分前更新 · 加载失败");
}

// Opening leaves the pages unread, so start-up never waits on a month's file;
// the first list kept reads them, and a damaged file goes aside whole first.
TEST_F(ListHistoryTest, DamageIsFoundBeforeTheFirstListIsKept) {
    const std::filesystem::path file = folder.path() / "history.sqlite3";
    {
        ListHistory earlier(file);
        for (int k = 0; k < 40; ++k)
            earlier.Keep(SourceId::kWeibo, Answer(1, {"a" + std::to_string(k), "b", "c"}),
                         now + minutes(k));
    }
    std::string bytes = testing::ReadFile(file);
    ASSERT_GT(bytes.size(), 8192u);
    for (size_t page = 4096; page + 4096 <= bytes.size(); page += 4096)
        bytes.replace(page + 8, 64, std::string(64, '\x5A'));
    testing::WriteFile(file, bytes);

    ListHistory history(file);
    EXPECT_TRUE(history.Store().MovedAside().empty());
    history.Keep(SourceId::kBaidu, Answer(1, {"x"}), now);
    ASSERT_EQ(history.Store().MovedAside().size(), 1u);
    EXPECT_TRUE(testing::ReadFile(history.Store().MovedAside()[0]) == bytes);
    EXPECT_TRUE(history.Latest(SourceId::kBaidu));
}

TEST_F(ListHistoryTest, AStoreThatCannotOpenTurnsHistoryOffAndTheListsGoOn) {
    // The data folder is a file: nothing can be made below it, for root too.
    testing::WriteFile(folder.path() / "data", "not a folder");
    ListHistory history(folder.path() / "data" / "vantrel" / "history.sqlite3");
    EXPECT_FALSE(history.Problem().empty());
    Wire(history);
    cycle.SetFetchRoutine(SourceId::kWeibo, [] { return Answer(0, {"x", "y"}); });
    cycle.SelectSource(SourceId::kWeibo);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(Badges(), (std::vector<std::string>{"", ""}));
    EXPECT_FALSE(history.Latest(SourceId::kWeibo));
    EXPECT_TRUE(history.RowTip(SourceId::kWeibo, "x", now).empty());
}

}  // namespace
}  // namespace vantrel
