#include "app/refresh_cycle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/format_elapsed.h"
#include "app/refresh_backoff.h"
#include "app/rule_highlight.h"
#include "app/source_health.h"
#include "net/code_page.h"

namespace vantrel {
namespace {

using std::chrono::seconds;

std::string L(const char* utf8) {
    return Utf8ToLocal(std::string_view(utf8));
}

FetchResult Answer(FetchStatus status, int rankBase, std::vector<std::string> titles) {
    FetchResult result;
    result.status = status;
    result.rankBase = rankBase;
    for (std::string& title : titles)
        result.entries.push_back({title, "", "", ""});
    return result;
}

class RefreshCycleTest : public ::testing::Test {
  protected:
    void SetUp() override { SetUpTrendingColumns(list); }

    TimePoint At(int s) const { return TimePoint{} + seconds(s); }

    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (int row = 0; row < list.ItemCount(); ++row) {
            titles.push_back(list.ItemTitle(row, COLUMN_TITLE));
        }
        return titles;
    }

    AppState state;
    ListModel list;
    SourceButtons buttons;
    TimePoint now = TimePoint{} + seconds(1000);
    RefreshCycle cycle{state, list, buttons, [this] { return now; }};
};

TEST_F(RefreshCycleTest, SelectSourceRestylesFetchesAndRefetchesOnSecondClick) {
    int baiduCalls = 0;
    cycle.SetFetchRoutine(SourceId::kBaidu, [&] {
        ++baiduCalls;
        return Answer(FetchStatus::kParsed, 0, {"a" + std::to_string(baiduCalls), "b"});
    });
    cycle.SelectSource(SourceId::kBaidu);
    cycle.SelectSource(SourceId::kBaidu);
    EXPECT_EQ(baiduCalls, 2);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"a2", "b"}));  // cleared, not appended
    EXPECT_EQ(state.currentSource, SourceId::kBaidu);
    EXPECT_EQ(state.lastUpdate, now);
    EXPECT_TRUE(buttons.Style(SourceId::kBaidu).selected);
    EXPECT_EQ(buttons.Style(SourceId::kBaidu).captionColor, COLOR_WHITE);
    for (SourceId other : {SourceId::kWeibo, SourceId::kToutiao, SourceId::kDouyin}) {
        EXPECT_FALSE(buttons.Style(other).selected);
        EXPECT_EQ(buttons.Style(other).captionColor, COLOR_IDLE);
    }
}

TEST_F(RefreshCycleTest, HoverTogglesCaptionsEvenOnTheSelectedButton) {
    int changes = 0;
    buttons.SetListener([&] { ++changes; });
    buttons.Select(SourceId::kWeibo);
    buttons.PointerEntered(SourceId::kToutiao);
    EXPECT_EQ(buttons.Style(SourceId::kToutiao).captionColor, COLOR_WHITE);
    buttons.PointerLeft(SourceId::kToutiao);
    EXPECT_EQ(buttons.Style(SourceId::kToutiao).captionColor, COLOR_IDLE);
    buttons.PointerLeft(SourceId::kWeibo);
    EXPECT_EQ(buttons.Style(SourceId::kWeibo).captionColor, COLOR_IDLE);
    EXPECT_TRUE(buttons.Style(SourceId::kWeibo).selected);
    EXPECT_EQ(changes, 4);
}

TEST_F(RefreshCycleTest, RefreshCurrentSourceOnlyForAChosenSource) {
    int calls = 0;
    for (int n = 1; n <= 4; ++n) {
        cycle.SetFetchRoutine(static_cast<SourceId>(n), [&] {
            ++calls;
            return FetchResult{};
        });
    }
    cycle.RefreshCurrentSource();  // no source yet
    EXPECT_EQ(calls, 0);
    state.currentSource = SourceId::kDouyin;
    cycle.RefreshCurrentSource();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(buttons.Style(SourceId::kDouyin).selected);  // a tick does not restyle
}

TEST_F(RefreshCycleTest, LastUpdateMovesForEveryAnswerButNotForAFailedRequest) {
    struct Case {
        SourceId source;
        FetchStatus status;
        bool moves;
    };
    const Case cases[] = {
        {SourceId::kWeibo, FetchStatus::kParsed, true},  // even with no entries
        {SourceId::kWeibo, FetchStatus::kUnparsed, false},
        {SourceId::kWeibo, FetchStatus::kRequestFailed, false},
        {SourceId::kToutiao, FetchStatus::kUnparsed, true},
        {SourceId::kToutiao, FetchStatus::kRequestFailed, false},
        {SourceId::kDouyin, FetchStatus::kParsed, true},
    };
    int tick = 0;
    for (const Case& c : cases) {
        list.InsertItem();  // an old row of no source, which every fetch clears
        state.listSource = SourceId::kNone;
        state.lastUpdate = At(1);
        now = At(100 + ++tick);
        cycle.SetFetchRoutine(c.source, [&] { return Answer(c.status, 0, {}); });
        EXPECT_TRUE(cycle.FetchSource(c.source));
        EXPECT_EQ(list.ItemCount(), 0);
        EXPECT_EQ(state.lastUpdate, c.moves ? now : At(1))
            << static_cast<int>(c.source) << "/" << static_cast<int>(c.status);
    }
}

TEST_F(RefreshCycleTest, AFailedRefreshKeepsTheRowsAndTheirAgeAndSaysSoBesideIt) {
    state.currentSource = SourceId::kWeibo;
    now = At(100);
    cycle.SetFetchRoutine(SourceId::kWeibo, [] {
        return Answer(FetchStatus::kParsed, 0, {"a", "b"});
    });
    ASSERT_TRUE(cycle.FetchSource(SourceId::kWeibo));
    EXPECT_EQ(ToUtf8(StatusLabelText(state, At(160))), "1分前更新");

    // No answer, and an answer with too few entries: the rows and their age stay.
    for (FetchStatus status : {FetchStatus::kRequestFailed, FetchStatus::kParsed}) {
        FetchResult failed = Answer(status, 0, {});
        failed.answeredBy = -1;
        failed.failures = {{0, FetchFailure::kTimeout, 0}};
        cycle.SetFetchRoutine(SourceId::kWeibo, [failed] { return failed; });
        now = At(400);
        ASSERT_TRUE(cycle.FetchSource(SourceId::kWeibo));
        EXPECT_EQ(Titles(), (std::vector<std::string>{"a", "b"}));
        EXPECT_EQ(state.lastUpdate, At(100));
        EXPECT_EQ(ToUtf8(StatusLabelText(state, At(400))), "5分前更新 · 加载失败");
    }

    // Another source that gives nothing shows nothing of the first one's.
    state.currentSource = SourceId::kBaidu;
    cycle.SetFetchRoutine(SourceId::kBaidu, [] {
        FetchResult failed = Answer(FetchStatus::kRequestFailed, 0, {});
        failed.answeredBy = -1;
        return failed;
    });
    ASSERT_TRUE(cycle.FetchSource(SourceId::kBaidu));
    EXPECT_EQ(list.ItemCount(), 0);
    EXPECT_EQ(ToUtf8(StatusLabelText(state, At(400))), "加载失败");
}

TEST(RefreshBackoffTest, WaitsDoubleFromThirtySecondsToTenMinutesAndHonourRetryAfter) {
    const TimePoint t0 = TimePoint{} + seconds(1000);
    RefreshBackoff backoff;
    EXPECT_TRUE(backoff.Allows(t0));
    const int expected[] = {30, 60, 120, 240, 480, 600, 600};
    for (int wait : expected) {
        backoff.Record(true, 0, t0, 0.5);  // the middle of the spread: no jitter
        EXPECT_EQ(backoff.NotBefore(), t0 + seconds(wait));
    }
    EXPECT_FALSE(backoff.Allows(t0 + seconds(599)));
    EXPECT_TRUE(backoff.Allows(t0 + seconds(600)));

    backoff.Record(false, 0, t0, 0.5);  // a list: back to the user's period
    EXPECT_TRUE(backoff.Allows(t0));
    backoff.Record(true, 0, t0, 0.0);
    EXPECT_EQ(backoff.NotBefore(), t0 + seconds(27));
    backoff.Record(false, 0, t0, 0.5);
    backoff.Record(true, 0, t0, 1.0);
    EXPECT_EQ(backoff.NotBefore(), t0 + seconds(33));

    // A service's own Retry-After lengthens the wait, never shortens it.
    backoff.Record(false, 0, t0, 0.5);
    backoff.Record(true, 900, t0, 0.5);
    EXPECT_EQ(backoff.NotBefore(), t0 + seconds(900));
    backoff.Record(true, 5, t0, 0.5);
    EXPECT_EQ(backoff.NotBefore(), t0 + seconds(60));
}

TEST_F(RefreshCycleTest, TicksHoldOffAfterAFailureButAClickAlwaysFetches) {
    int fetches = 0;
    bool fail = true;
    cycle.SetFetchRoutine(SourceId::kWeibo, [&] {
        ++fetches;
        FetchResult result = Answer(FetchStatus::kParsed, 0, {"a"});
        if (fail) {
            result = Answer(FetchStatus::kRequestFailed, 0, {});
            result.answeredBy = -1;
        }
        return result;
    });
    now = At(1000);
    cycle.SelectSource(SourceId::kWeibo);
    EXPECT_EQ(fetches, 1);
    now = At(1010);
    cycle.RefreshCurrentSource();  // well inside the first wait (27..33 s)
    EXPECT_EQ(fetches, 1);
    cycle.SelectSource(SourceId::kWeibo);  // the user asked: it fetches, and fails again
    EXPECT_EQ(fetches, 2);
    now = At(1010 + 53);
    cycle.RefreshCurrentSource();  // inside the second wait (54..66 s)
    EXPECT_EQ(fetches, 2);
    now = At(1010 + 67);
    cycle.RefreshCurrentSource();
    EXPECT_EQ(fetches, 3);
    fail = false;
    now = At(1077 + 133);  // past the third wait (108..132 s)
    cycle.RefreshCurrentSource();
    EXPECT_EQ(fetches, 4);
    cycle.RefreshCurrentSource();  // a list came: every tick fetches again
    EXPECT_EQ(fetches, 5);
}

TEST_F(RefreshCycleTest, RanksFollowTheRankBase) {
    cycle.SetFetchRoutine(SourceId::kToutiao, [] {
        return Answer(FetchStatus::kParsed, 1, {"a", "b", "c", "d"});
    });
    cycle.FetchSource(SourceId::kToutiao);
    ASSERT_EQ(list.ItemCount(), 4);
    EXPECT_TRUE(list.IsElementVisible(0, COLUMN_RANK, 1));
    EXPECT_EQ(list.ItemTitle(3, COLUMN_RANK), "4");
}

TEST_F(RefreshCycleTest, DouyinRowLinksFollowTheRowsAndOnlyDouyinTouchesThem) {
    cycle.SetFetchRoutine(SourceId::kDouyin, [] {
        FetchResult result = Answer(FetchStatus::kParsed, 1, {"a", "b"});
        result.entries[0].links = "z|y|x";
        return result;
    });
    cycle.SetFetchRoutine(SourceId::kWeibo, [] { return Answer(FetchStatus::kParsed, 0, {"w"}); });
    cycle.FetchSource(SourceId::kDouyin);
    EXPECT_EQ(state.rowLinks, (DouyinRowLinks{"z|y|x", ""}));
    cycle.FetchSource(SourceId::kWeibo);
    EXPECT_EQ(state.rowLinks.size(), 2u);
    cycle.SetFetchRoutine(SourceId::kDouyin, [] { return FetchResult{}; });
    cycle.FetchSource(SourceId::kDouyin);
    EXPECT_TRUE(state.rowLinks.empty());
}

TEST_F(RefreshCycleTest, AFetchStartedDuringAnotherWinsAndTheOlderDiscardsItsRows) {
    bool clickDuringWait = true;
    cycle.SetFetchRoutine(SourceId::kWeibo, [&] {
        // The request pumps events; a click on Baidu is handled inside it.
        if (clickDuringWait) {
            clickDuringWait = false;
            cycle.SelectSource(SourceId::kBaidu);
        }
        return Answer(FetchStatus::kParsed, 0, {"weibo"});
    });
    cycle.SetFetchRoutine(SourceId::kBaidu, [&] {
        now = At(2000);
        return Answer(FetchStatus::kParsed, 0, {"baidu1", "baidu2"});
    });
    now = At(1500);
    EXPECT_FALSE(cycle.FetchSource(SourceId::kWeibo));
    EXPECT_EQ(Titles(), (std::vector<std::string>{"baidu1", "baidu2"}));
    EXPECT_EQ(state.currentSource, SourceId::kBaidu);
    EXPECT_EQ(state.lastUpdate, At(2000));
}

TEST_F(RefreshCycleTest, ListTellsViewsBeforeAndAfterRowsComeAndGo) {
    std::vector<ListChange::Kind> kinds;
    const int id = list.AddListener([&](const ListChange& c) {
        if (c.kind != ListChange::Kind::kCellChanged) kinds.push_back(c.kind);
    });
    EXPECT_EQ(list.InsertItem(), 0);
    EXPECT_EQ(list.InsertItem(), 1);
    EXPECT_EQ(list.InsertItem(0), 0);
    list.DeleteItem(-1);
    EXPECT_EQ(list.ItemCount(), 0);
    list.DeleteItem(-1);  // nothing left: no notification
    list.RemoveListener(id);
    list.InsertItem();
    using K = ListChange::Kind;
    EXPECT_EQ(kinds, (std::vector<K>{K::kRowsAboutToBeInserted, K::kRowsInserted,
                                     K::kRowsAboutToBeInserted, K::kRowsInserted,
                                     K::kRowsAboutToBeInserted, K::kRowsInserted,
                                     K::kRowsAboutToBeRemoved, K::kRowsRemoved}));
}

TEST(FormatElapsedTest, PartsOnlyWhenNonZero) {
    const TimePoint t0 = TimePoint{} + seconds(1'000'000);
    EXPECT_EQ(FormatElapsed(t0 + seconds(90061), t0), L("1天1时1分1秒"));
    EXPECT_EQ(FormatElapsed(t0 + seconds(3723), t0), L("1时2分3秒"));
    EXPECT_EQ(FormatElapsed(t0 + seconds(3600), t0), L("1时"));
    EXPECT_EQ(FormatElapsed(t0 + seconds(86400 + 5), t0), L("1天5秒"));
    EXPECT_EQ(FormatElapsed(t0, t0 + seconds(61)), L("1分1秒"));  // clock went back
    EXPECT_EQ(FormatElapsed(t0 + std::chrono::milliseconds(999), t0), "");
    EXPECT_EQ(AgeLabelText(t0, t0), L("前更新"));
    EXPECT_EQ(AgeLabelText(t0 + seconds(3600), t0), L("1时前更新"));
}

KeywordRule ColourRule(std::string name, std::vector<std::string> words, std::uint32_t color) {
    KeywordRule rule;
    rule.name = std::move(name);
    rule.words = std::move(words);
    rule.color = color;
    return rule;
}

TEST_F(RefreshCycleTest, FirstMatchingRuleColoursTheTitleUnlessTheMonitorDoes) {
    state.rules = RuleSet(
        {ColourRule("蓝", {"台风"}, 0xFF3399FF), ColourRule("绿", {"登陆", "球赛"}, 0xFF00CC66)});
    std::vector<int> filled;
    cycle.SetFillListener([&](SourceId source, const FetchResult& result) {
        filled.push_back(static_cast<int>(source) * 100 + static_cast<int>(result.entries.size()));
    });
    cycle.SetFetchRoutine(SourceId::kWeibo, [] {
        return Answer(FetchStatus::kParsed, 1, {L("台风登陆"), L("球赛直播"), L("别的")});
    });
    cycle.SelectSource(SourceId::kWeibo);
    EXPECT_EQ(filled, (std::vector<int>{103}));
    EXPECT_EQ(list.ItemFontColor(0, COLUMN_TITLE), 0xFF3399FFu);
    EXPECT_EQ(list.ItemFontColor(1, COLUMN_TITLE), 0xFF00CC66u);
    EXPECT_EQ(list.ItemFontColor(2, COLUMN_TITLE), COLOR_TITLE);
    EXPECT_EQ(state.rowRules, (std::vector<std::vector<std::size_t>>{{0, 1}, {1}, {}}));
    EXPECT_EQ(RuleTip(state, list, 0), L("匹配规则：蓝、绿"));
    EXPECT_EQ(RuleTip(state, list, 2), "");

    // The monitor's orange comes first and the tip names it first.
    state.keywordMonitorOn = true;
    state.keywordText = L("球赛");
    ReapplyHighlights(list, state, SourceId::kWeibo);
    EXPECT_EQ(list.ItemFontColor(0, COLUMN_TITLE), 0xFF3399FFu);
    EXPECT_EQ(list.ItemFontColor(1, COLUMN_TITLE), COLOR_ACCENT);
    EXPECT_EQ(RuleTip(state, list, 1), L("匹配规则：关键词监控、绿"));

    // Rules gone: the titles go back to their plain colour; an answer that
    // filled nothing keeps the rows and their matches, and is not told.
    state.keywordMonitorOn = false;
    state.rules = RuleSet();
    ReapplyHighlights(list, state, SourceId::kWeibo);
    EXPECT_EQ(list.ItemFontColor(0, COLUMN_TITLE), COLOR_TITLE);
    EXPECT_EQ(list.ItemFontColor(1, COLUMN_TITLE), COLOR_TITLE);
    cycle.SetFetchRoutine(SourceId::kWeibo, [] { return Answer(FetchStatus::kParsed, 1, {}); });
    cycle.RefreshCurrentSource();
    EXPECT_EQ(filled.size(), 1u);
    EXPECT_EQ(list.ItemCount(), 3);
    EXPECT_EQ(state.rowRules.size(), 3u);
}

}  // namespace
}  // namespace vantrel
