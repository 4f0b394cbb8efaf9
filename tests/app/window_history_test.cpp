#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"
#include "net/code_page.h"
#include "settings/temp_folder.h"
#include "support/qt_app.h"
#include "toolkit/label.h"
#include "toolkit/tip_box.h"

namespace vantrel {
namespace {

FetchResult Titles(const std::vector<std::string>& titles) {
    FetchResult result{FetchStatus::kParsed, 1, {}};
    for (const std::string& title : titles)
        result.entries.push_back({Utf8ToLocal(title), "", "", ""});
    return result;
}

class WindowHistoryTest : public ::testing::Test {
  protected:
    void TearDown() override { CloseTipBox(); }

    std::filesystem::path Settings() const { return folder.path() / "kweld.ini"; }
    std::filesystem::path Store() const { return folder.path() / "data" / "history.sqlite3"; }
    Label& AgeLabel(MainWindow& window) {
        return *window.findChild<Label*>(QStringLiteral("标签_刷新时间"));
    }

    testing::TempFolder folder;
};

// The window is up with the kept rows before the first fetch has answered;
// the fetched list then replaces them, marked against them, and a row's
// tooltip tells its standing.
TEST_F(WindowHistoryTest, StartUpShowsTheKeptListBeforeTheFirstFetchAnswers) {
    {
        ListHistory earlier(Store());
        earlier.Keep(SourceId::kWeibo, Titles({"old one", "old two"}),
                     std::chrono::system_clock::now() - std::chrono::minutes(7));
    }
    MainWindow window(Settings());
    window.UseHistory(std::make_unique<ListHistory>(Store()));
    bool shownWhileWaiting = false;
    QString labelWhileWaiting;
    std::string firstWhileWaiting;
    window.Refresh().SetFetchRoutine(SourceId::kWeibo, [&] {
        shownWhileWaiting = window.isVisible();
        labelWhileWaiting = AgeLabel(window).Text();
        firstWhileWaiting = ToUtf8(window.List().ItemTitle(0, COLUMN_TITLE));
        return Titles({"old two", "fresh"});
    });
    window.StartUp();
    EXPECT_TRUE(shownWhileWaiting);
    EXPECT_EQ(firstWhileWaiting, "old one");
    EXPECT_TRUE(labelWhileWaiting.startsWith(QStringLiteral("7分")))
        << labelWhileWaiting.toStdString();
    EXPECT_TRUE(labelWhileWaiting.endsWith(QStringLiteral("前更新 · 正在加载…")));

    ASSERT_EQ(window.List().ItemCount(), 2);
    EXPECT_EQ(ToUtf8(window.List().Row(0).cells[COLUMN_TITLE].badge), "▲1");
    EXPECT_EQ(ToUtf8(window.List().Row(1).cells[COLUMN_TITLE].badge), "新");
    EXPECT_TRUE(window.RowTip(0).contains(QStringLiteral("最高第1名")))
        << window.RowTip(0).toStdString();
    EXPECT_TRUE(AgeLabel(window).toolTip().isEmpty());
}

TEST_F(WindowHistoryTest, AStoreThatCannotOpenIsToldOnceInTheAgeLabelTooltip) {
    testing::WriteFile(folder.path() / "data", "a file where the folder should be");
    MainWindow window(Settings());
    window.UseHistory(std::make_unique<ListHistory>(Store()));
    window.Refresh().SetFetchRoutine(SourceId::kWeibo, [] { return Titles({"a", "b"}); });
    window.StartUp();
    EXPECT_EQ(window.List().ItemCount(), 2);
    EXPECT_TRUE(AgeLabel(window).toolTip().startsWith(QStringLiteral("历史记录已停用")))
        << AgeLabel(window).toolTip().toStdString();
    EXPECT_FALSE(window.isVisible());  // nothing kept: start-up shows it after the fetch
}

}  // namespace
}  // namespace vantrel
