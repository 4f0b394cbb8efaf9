#include "app/fill_row.h"

#include <gtest/gtest.h>

#include <string>

#include "app/keyword_monitor.h"
#include "net/code_page.h"

namespace vantrel {
namespace {

std::string L(const char* utf8) {
    return Utf8ToLocal(std::string_view(utf8));
}

class FillRowTest : public ::testing::Test {
  protected:
    void SetUp() override { SetUpTrendingColumns(list); }

    // Indexes of the visible elements of a cell, as a string like "0" or "".
    std::string Visible(int row, int column) const {
        std::string shown;
        for (int i = 0; i < 8; ++i) {
            if (list.IsElementVisible(row, column, i)) shown += std::to_string(i);
        }
        return shown;
    }

    int Fill(int rank, const std::string& title, const std::string& tag = {}) {
        return FillRow(list, state, rank, ListEntry{title, tag, {}, {}});
    }

    ListModel list;
    AppState state;
};

TEST_F(FillRowTest, ColumnsOfTheTrendingList) {
    ASSERT_EQ(list.ColumnCount(), 4);
    EXPECT_EQ(list.Column(0).title, L("序号"));
    EXPECT_EQ(list.Column(0).width, 30);
    EXPECT_EQ(list.Column(0).images, ImageGroup::kRankIcons);
    EXPECT_EQ(list.Column(1).width, 220);
    EXPECT_EQ(list.Column(2).title, L("状态"));
    EXPECT_EQ(list.Column(2).images, ImageGroup::kTagIcons);
    EXPECT_EQ(list.Column(3).title, L("内容"));
    EXPECT_EQ(list.Column(3).width, 0);
}

TEST_F(FillRowTest, RanksFromZeroShowPinnedThenThreeMarkersThenText) {
    for (int k = 0; k < 5; ++k)
        Fill(k, "t");
    EXPECT_EQ(Visible(0, COLUMN_RANK), "0");
    EXPECT_EQ(Visible(1, COLUMN_RANK), "1");
    EXPECT_EQ(Visible(2, COLUMN_RANK), "2");
    EXPECT_EQ(Visible(3, COLUMN_RANK), "3");
    EXPECT_EQ(Visible(4, COLUMN_RANK), "");
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(list.ItemTitle(row, COLUMN_RANK), "");
    EXPECT_EQ(list.ItemTitle(4, COLUMN_RANK), "4");  // the fifth row of a Baidu list
}

TEST_F(FillRowTest, RanksFromOneNeverShowThePinnedMarker) {
    for (int k = 1; k <= 5; ++k)
        Fill(k, "t");
    EXPECT_EQ(Visible(0, COLUMN_RANK), "1");
    EXPECT_EQ(Visible(2, COLUMN_RANK), "3");
    EXPECT_EQ(list.ItemTitle(3, COLUMN_RANK), "4");  // the fourth row of a Toutiao list
    EXPECT_EQ(Visible(3, COLUMN_RANK), "");
    EXPECT_EQ(list.ItemTitle(4, COLUMN_RANK), "5");
}

TEST_F(FillRowTest, EveryTagSelectsItsMarkerAndUnknownTagsNone) {
    const std::pair<const char*, const char*> cases[] = {
        {"hot", "0"}, {"3", "0"},    {"new", "1"}, {"1", "1"}, {"jian_yellow", "2"},
        {"fei", "3"}, {"boom", "4"}, {"0", ""},    {"", ""},   {"HOT", ""},
    };
    for (const auto& [tag, shown] : cases) {
        const int row = Fill(9, "t", tag);
        EXPECT_EQ(Visible(row, COLUMN_TAG), shown) << "tag " << tag;
    }
}

TEST_F(FillRowTest, TitleDescriptionAndColours) {
    const int row = FillRow(list, state, 7, ListEntry{L("标题"), "", L("描述"), ""});
    EXPECT_EQ(list.Row(row).height, 30);
    EXPECT_EQ(list.ItemTitle(row, COLUMN_TITLE), L("标题"));
    EXPECT_EQ(list.ItemTitle(row, COLUMN_DESCRIPTION), L("描述"));
    EXPECT_EQ(list.ItemFontColor(row, COLUMN_RANK), COLOR_ACCENT);
    EXPECT_EQ(list.ItemFontColor(row, COLUMN_TITLE), COLOR_TITLE);
}

TEST_F(FillRowTest, KeywordHighlightOnlyWhileTheMonitorRuns) {
    state.keywordText = L("地震");
    Fill(5, L("某地地震了"));
    EXPECT_EQ(list.ItemFontColor(0, COLUMN_TITLE), COLOR_TITLE);
    state.keywordMonitorOn = true;
    Fill(5, L("某地地震了"));
    Fill(5, L("天气晴"));
    EXPECT_EQ(list.ItemFontColor(1, COLUMN_TITLE), COLOR_ACCENT);
    EXPECT_EQ(list.ItemFontColor(2, COLUMN_TITLE), COLOR_TITLE);
}

struct KeywordCase {
    const char* keywords;
    const char* title;
    bool matches;
};

TEST(KeywordMonitorTest, SeparatorCaseAndBlanks) {
    const KeywordCase cases[] = {
        {"苹果，香蕉", "今天吃香蕉", true},   // the second keyword of two
        {"苹果，香蕉", "今天吃橘子", false},  // neither
        {"苹果，香蕉，橘子", "橘子", true},   // the last of three
        {"Apple", "apple launch", false},     // case-sensitive
        {"apple", "apple launch", true},
        {"a, b", "a, b c", true},  // ASCII comma and blank belong to the keyword
        {"a, b", "a b", false},
        {"a,b", "b", false},
        {" 苹果", "苹果", false},         // keywords are not trimmed
        {"", "anything", false},          // an emptied box highlights nothing
        {"苹果，，", "anything", false},  // nor do empty pieces
        {"，苹果", "红苹果", true},
    };
    for (const KeywordCase& c : cases) {
        AppState state;
        state.keywordText = L(c.keywords);
        EXPECT_EQ(TitleMatchesKeywords(L(c.title), state), c.matches)
            << c.keywords << " in " << c.title;
    }
}

TEST(KeywordMonitorTest, NeverMatchesAcrossCharacterBoundaries) {
    // "啊啊" is B0 A1 B0 A1; the character A1 B0 sits across the middle.
    AppState state;
    state.keywordText = "\xA1\xB0";
    EXPECT_FALSE(TitleMatchesKeywords("\xB0\xA1\xB0\xA1", state));
    EXPECT_TRUE(TitleMatchesKeywords("x\xA1\xB0", state));
}

TEST(KeywordMonitorTest, KeywordListIsRebuiltFromTheText) {
    AppState state;
    state.keywordText = L("甲，乙");
    TitleMatchesKeywords("t", state);
    ASSERT_EQ(state.keywordList.size(), 2u);
    EXPECT_EQ(state.keywordList[1], L("乙"));
}

}  // namespace
}  // namespace vantrel
