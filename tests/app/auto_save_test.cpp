#include "app/auto_save.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "export/sheet_export.h"
#include "export/xls_reader.h"
#include "net/code_page.h"
#include "net/pending_messages.h"
#include "settings/temp_folder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::Quoted;
using testing::ReadWithXlrd;
using testing::TempFolder;

std::string L(std::string_view utf8) {
    return Utf8ToLocal(utf8);
}

std::tm Moment(int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = 2022 - 1900;
    t.tm_mon = 4;
    t.tm_mday = 3;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(SheetStamp, TrailingZeroPartsOfTheTimeAreLeftOut) {
    auto stamp = [](int h, int m, int s) { return ToUtf8(SheetStamp(Moment(h, m, s))); };
    EXPECT_EQ(stamp(14, 0, 0), "2022年5月3日14时");
    EXPECT_EQ(stamp(14, 30, 0), "2022年5月3日14时30分");
    EXPECT_EQ(stamp(0, 0, 0), "2022年5月3日");
    EXPECT_EQ(stamp(14, 0, 5), "2022年5月3日14时0分5秒");
    EXPECT_EQ(ToUtf8(AutoSavePath("D:\\hot", SourceId::kBaidu, Moment(9, 5, 7))),
              "D:\\hot/百度热点2022年5月3日9时5分7秒.xls");
    EXPECT_EQ(ToUtf8(SheetFileName(SourceId::kWeibo) + SheetFileName(SourceId::kToutiao) +
                     SheetFileName(SourceId::kDouyin)),
              "/新浪微博/今日头条/抖音");
}

FetchResult Entries(const std::string& prefix, int count) {
    FetchResult result;
    result.status = FetchStatus::kParsed;
    for (int i = 0; i < count; ++i)
        result.entries.push_back({L(prefix + std::to_string(i)), "hot", "", ""});
    return result;
}

class AutoSaveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TZ", "UTC0", 1);
        ::tzset();
        SetUpTrendingColumns(list);
        state.saveDirectory = L(folder.path().string()) + L("/导出/新建");  // not there yet
        cycle.SetFetchRoutine(SourceId::kWeibo, [this] {
            ++weiboFetches;
            return Entries("微博", 50);
        });
        cycle.SetFetchRoutine(SourceId::kBaidu, [this] {
            ++baiduFetches;
            return Entries("百度", 30);
        });
        previousHook = SetPendingMessagesHook([this] {
            ++pendingRuns;
            if (duringExport) duringExport();
        });
    }
    void TearDown() override { SetPendingMessagesHook(previousHook); }

    fs::path Expected(const char* nameUtf8) const {
        return fs::path(ToUtf8(state.saveDirectory)) / nameUtf8;
    }

    // Column B of the file, without the header.
    static std::vector<std::string> Titles(const fs::path& file) {
        const testing::XlrdSheet sheet = ReadWithXlrd(file);
        std::vector<std::string> titles;
        for (int r = 1; r < sheet.rows; ++r)
            titles.push_back(sheet.At(r, 1).value);
        return titles;
    }

    TempFolder folder;
    AppState state;
    ListModel list;
    SourceButtons buttons;
    TimePoint now = std::chrono::system_clock::from_time_t(1651588200);  // 2022-05-03 14:30:00 UTC
    RefreshCycle cycle{state, list, buttons};
    AutoSave autoSave{state, list, cycle, [this] { return now; }};
    int weiboFetches = 0;
    int baiduFetches = 0;
    int pendingRuns = 0;
    std::function<void()> duringExport;
    std::function<void()> previousHook;
};

TEST_F(AutoSaveTest, WritesTheShownListIntoANewFileEachTickEvenInTheSameSecond) {
    cycle.SelectSource(SourceId::kWeibo);
    pendingRuns = 0;
    const auto first = autoSave.AutoSaveTick();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(*first, Expected("新浪微博2022年5月3日14时30分.xls"));
    EXPECT_EQ(pendingRuns, 50);  // once per row

    const testing::XlrdSheet sheet = ReadWithXlrd(*first);
    ASSERT_EQ(sheet.rows, 51);
    ASSERT_EQ(sheet.columns, 3);
    EXPECT_EQ(sheet.At(0, 0).value, "\"序号\"");
    EXPECT_EQ(sheet.At(0, 1).value, "\"热点\"");
    EXPECT_EQ(sheet.At(0, 2).value, "\"状态\"");
    for (int r = 1; r <= 50; ++r) {
        // The first rows show a marker instead of their number.
        EXPECT_EQ(sheet.At(r, 0).value, Quoted(ToUtf8(list.ItemTitle(r - 1, COLUMN_RANK))));
        EXPECT_EQ(sheet.At(r, 0).type, r <= 4 ? 6 : 1);
        EXPECT_EQ(sheet.At(r, 1).value, Quoted("微博" + std::to_string(r - 1)));
        EXPECT_EQ(sheet.At(r, 2).type, 6);  // the tag column shows only pictures
    }

    const auto second = autoSave.AutoSaveTick();
    const auto third = autoSave.AutoSaveTick();
    ASSERT_TRUE(second && third);
    EXPECT_EQ(*second, Expected("新浪微博2022年5月3日14时30分(2).xls"));
    EXPECT_EQ(*third, Expected("新浪微博2022年5月3日14时30分(3).xls"));
    EXPECT_EQ(ReadWithXlrd(*first).rows, 51);  // not overwritten

    // An empty list gives the header row alone; no temporary file is left.
    list.DeleteItem(-1);
    state.currentSource = SourceId::kDouyin;
    now += std::chrono::seconds(1);
    const auto empty = autoSave.AutoSaveTick();
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(*empty, Expected("抖音2022年5月3日14时30分1秒.xls"));
    EXPECT_EQ(ReadWithXlrd(*empty).rows, 1);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(first->parent_path()))
        ++files;
    EXPECT_EQ(files, 4);
}

TEST_F(AutoSaveTest, AFolderThatCannotBeMadeIsSkippedUntilItCan) {
    cycle.SelectSource(SourceId::kWeibo);
    state.saveDirectory = SAVE_DIRECTORY_PROMPT;  // no folder chosen
    EXPECT_FALSE(autoSave.AutoSaveTick().has_value());

    const fs::path blocker = folder.path() / "blocker";
    testing::WriteFile(blocker, "a file where a folder should be");
    state.saveDirectory = L((blocker / "out").string());
    EXPECT_FALSE(autoSave.AutoSaveTick().has_value());
    EXPECT_FALSE(autoSave.Exporting());

    fs::remove(blocker);
    const auto written = autoSave.AutoSaveTick();
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->parent_path(), blocker / "out");
}

TEST_F(AutoSaveTest, TicksClicksAndRefreshesDuringAnExportRunAfterIt) {
    cycle.SelectSource(SourceId::kWeibo);
    int rowsSeen = 0;
    duringExport = [&] {
        if (++rowsSeen != 3) return;
        EXPECT_FALSE(autoSave.AutoSaveTick().has_value());
        cycle.RefreshCurrentSource();
        cycle.SelectSource(SourceId::kBaidu);
        cycle.RefreshCurrentSource();
        EXPECT_EQ(list.ItemCount(), 50);
        EXPECT_EQ(baiduFetches, 0);
    };
    const auto last = autoSave.AutoSaveTick();
    duringExport = nullptr;

    // The click ran after the export, once, and the waiting tick exported its list.
    EXPECT_EQ(weiboFetches, 1);
    EXPECT_EQ(baiduFetches, 1);
    EXPECT_EQ(state.currentSource, SourceId::kBaidu);
    const fs::path weibo = Expected("新浪微博2022年5月3日14时30分.xls");
    const fs::path baidu = Expected("百度热点2022年5月3日14时30分.xls");
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(*last, baidu);
    const auto weiboTitles = Titles(weibo);
    ASSERT_EQ(weiboTitles.size(), 50u);
    EXPECT_EQ(weiboTitles.back(), Quoted("微博49"));
    const auto baiduTitles = Titles(baidu);
    ASSERT_EQ(baiduTitles.size(), 30u);
    EXPECT_EQ(baiduTitles.front(), Quoted("百度0"));

    // With no export running, a refresh runs at once again.
    cycle.RefreshCurrentSource();
    EXPECT_EQ(baiduFetches, 2);
}

}  // namespace
}  // namespace vantrel
