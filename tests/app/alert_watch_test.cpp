#include "app/alert_watch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/code_page.h"
#include "settings/temp_folder.h"

namespace vantrel {
namespace {

using std::chrono::hours;
using std::chrono::seconds;

std::string L(std::string_view utf8) {
    return Utf8ToLocal(utf8);
}

FetchResult List(int rankBase, const std::vector<std::string>& utf8Titles) {
    FetchResult result;
    result.status = FetchStatus::kParsed;
    result.rankBase = rankBase;
    for (const std::string& title : utf8Titles)
        result.entries.push_back({L(title), "", "", "", ""});
    return result;
}

KeywordRule Rule(std::string name, std::vector<std::string> words, bool notify,
                 std::uint32_t color = COLOR_ACCENT) {
    KeywordRule rule;
    rule.name = std::move(name);
    rule.words = std::move(words);
    rule.notify = notify;
    rule.color = color;
    return rule;
}

class AlertWatchTest : public ::testing::Test {
  protected:
    AlertWatchTest() {
        state.rules =
            RuleSet({Rule("天气", {"台风", "暴雨"}, true), Rule("静默", {"球赛"}, false)});
    }

    std::vector<std::string> Bodies() const {
        std::vector<std::string> bodies;
        for (const AlertNotice& notice : sent)
            bodies.push_back(AlertBody(notice));
        return bodies;
    }

    AppState state;
    NotifiedTitles notified{""};
    std::vector<AlertNotice> sent;
    TimePoint now = TimePoint{} + hours(24 * 365 * 50);
    AlertWatch watch{state, notified, [this](const AlertNotice& n) { sent.push_back(n); },
                     [this] { return now; }};
};

TEST_F(AlertWatchTest, OneTitleOneNoticeWithSummaryAndRank) {
    watch.OnListFilled(SourceId::kWeibo, List(0, {"置顶新闻", "第一", "第二", "台风登陆", "球赛"}));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(AlertSummary(sent[0]), "热点提醒 · 微博");
    EXPECT_EQ(AlertBody(sent[0]), "第3名 · 台风登陆");
    EXPECT_EQ(sent[0].alerts[0].source, SourceId::kWeibo);
    EXPECT_EQ(sent[0].alerts[0].title, L("台风登陆"));
}

TEST_F(AlertWatchTest, SeveralNewTitlesAreGroupedAndOnlyNewOnesCount) {
    watch.OnListFilled(SourceId::kBaidu, List(0, {"台风登陆", "一般新闻"}));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(AlertBody(sent[0]), "置顶 · 台风登陆");

    // Still on the list: nothing. Two new ones at once: one notice for both.
    now += hours(30);
    watch.OnListFilled(SourceId::kBaidu,
                       List(1, {"暴雨预警", "台风登陆", "暴雨红色预警", "台风登陆"}));
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(AlertSummary(sent[1]), "热点提醒 · 百度");
    EXPECT_EQ(AlertBody(sent[1]), "2 条热点\n第1名 · 暴雨预警\n第3名 · 暴雨红色预警");

    // Another source's list is another notice, with its own previous list.
    watch.OnListFilled(SourceId::kDouyin, List(1, {"暴雨中的外卖员"}));
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(AlertSummary(sent[2]), "热点提醒 · 抖音");
}

TEST_F(AlertWatchTest, ATitleIsToldOnceADayEvenWhenItLeavesAndComesBack) {
    watch.OnListFilled(SourceId::kToutiao, List(1, {"台风登陆"}));
    watch.OnListFilled(SourceId::kToutiao, List(1, {"别的"}));
    now += hours(23);
    watch.OnListFilled(SourceId::kToutiao, List(1, {"台风登陆"}));
    EXPECT_EQ(sent.size(), 1u);
    watch.OnListFilled(SourceId::kToutiao, List(1, {"别的"}));
    now += hours(2);
    watch.OnListFilled(SourceId::kToutiao, List(1, {"台风登陆"}));
    EXPECT_EQ(Bodies(), (std::vector<std::string>{"第1名 · 台风登陆", "第1名 · 台风登陆"}));
}

TEST_F(AlertWatchTest, DoNotDisturbPausesAndWhatArrivedMeanwhileStaysUntold) {
    state.doNotDisturb = true;
    watch.OnListFilled(SourceId::kWeibo, List(1, {"台风登陆"}));
    EXPECT_TRUE(sent.empty());
    state.doNotDisturb = false;
    watch.OnListFilled(SourceId::kWeibo, List(1, {"台风登陆", "暴雨来袭"}));
    EXPECT_EQ(Bodies(), (std::vector<std::string>{"第2名 · 暴雨来袭"}));
}

TEST_F(AlertWatchTest, RulesWithoutNotifyOrForOtherSourcesStaySilent) {
    KeywordRule douyinOnly = Rule("抖音台风", {"台风"}, true);
    douyinOnly.sources = {false, false, false, true};
    state.rules = RuleSet({Rule("静默", {"台风"}, false), douyinOnly});
    watch.OnListFilled(SourceId::kWeibo, List(1, {"台风登陆"}));
    EXPECT_TRUE(sent.empty());
    watch.OnListFilled(SourceId::kDouyin, List(1, {"台风登陆"}));
    EXPECT_EQ(sent.size(), 1u);
}

TEST_F(AlertWatchTest, AListRememberedFromAnEarlierRunCountsAsThePreviousOne) {
    watch.RememberList(SourceId::kBaidu, List(1, {"台风登陆"}));
    EXPECT_TRUE(sent.empty());
    watch.OnListFilled(SourceId::kBaidu, List(1, {"台风登陆", "暴雨来袭"}));
    EXPECT_EQ(Bodies(), (std::vector<std::string>{"第2名 · 暴雨来袭"}));
}

TEST_F(AlertWatchTest, OtherSourcesAreWatchedWithoutTheShownOneAndNotTooOften) {
    KeywordRule notDouyin = Rule("天气", {"台风"}, true);
    notDouyin.sources = {true, true, true, false};
    state.rules = RuleSet({notDouyin});
    std::vector<SourceId> fetched;
    const auto routineOf = [&](SourceId source) -> FetchRoutine {
        return [&fetched, source] {
            fetched.push_back(source);
            return List(1, {"台风登陆"});
        };
    };
    watch.WatchOtherSources(SourceId::kWeibo, routineOf);
    EXPECT_EQ(fetched, (std::vector<SourceId>{SourceId::kBaidu, SourceId::kToutiao}));
    ASSERT_EQ(sent.size(), 1u);  // the second source's list holds a title already told
    EXPECT_EQ(AlertSummary(sent[0]), "热点提醒 · 百度");

    now += seconds(10);
    watch.WatchOtherSources(SourceId::kWeibo, routineOf);
    EXPECT_EQ(fetched.size(), 2u);
    now += seconds(30);
    state.doNotDisturb = true;
    watch.WatchOtherSources(SourceId::kWeibo, routineOf);
    EXPECT_EQ(fetched.size(), 2u);
    state.doNotDisturb = false;
    watch.WatchOtherSources(SourceId::kBaidu, routineOf);
    EXPECT_EQ(fetched.size(), 4u);

    // A source that answers nothing is left alone for a while.
    const auto silent = [&](SourceId source) -> FetchRoutine {
        return [&fetched, source] {
            fetched.push_back(source);
            return FetchResult{};
        };
    };
    now += seconds(30);
    watch.WatchOtherSources(SourceId::kWeibo, silent);
    EXPECT_EQ(fetched.size(), 6u);
    now += seconds(60);
    watch.WatchOtherSources(SourceId::kWeibo, silent);
    EXPECT_EQ(fetched.size(), 6u);
    now += std::chrono::minutes(5);
    watch.WatchOtherSources(SourceId::kWeibo, silent);
    EXPECT_EQ(fetched.size(), 8u);
}

TEST(NotifiedTitles, RememberedAcrossRestartsForADay) {
    testing::TempFolder folder;
    const auto path = folder.path() / "vantrel" / "notified-titles.json";
    const TimePoint start = TimePoint{} + hours(24 * 365 * 50);
    {
        NotifiedTitles titles(path);
        titles.Note({L("台风登陆"), L("带\"引号\"和\t制表符")}, start);
    }
    NotifiedTitles reopened(path);
    EXPECT_TRUE(reopened.Recently(L("台风登陆"), start + hours(23)));
    EXPECT_TRUE(reopened.Recently(L("带\"引号\"和\t制表符"), start + hours(23)));
    EXPECT_FALSE(reopened.Recently(L("台风登陆"), start + hours(24)));
    EXPECT_FALSE(reopened.Recently(L("别的"), start));

    // Old ones are dropped from the file when something new is noted.
    reopened.Note({L("新的")}, start + hours(25));
    EXPECT_EQ(testing::ReadFile(path).find("台风"), std::string::npos);
    testing::WriteFile(path, "garbage");
    EXPECT_FALSE(NotifiedTitles(path).Recently(L("新的"), start + hours(25)));
}

}  // namespace
}  // namespace vantrel
