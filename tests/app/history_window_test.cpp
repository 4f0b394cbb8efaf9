#include "app/history_window.h"

#include <QMenu>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/history_actions.h"
#include "app/main_window.h"
#include "export/xls_reader.h"
#include "history/history_test_support.h"
#include "history/retention_file.h"
#include "net/code_page.h"
#include "settings/temp_folder.h"
#include "support/layout_check.h"
#include "support/qt_app.h"
#include "toolkit/caption_button.h"
#include "toolkit/edit_box.h"
#include "toolkit/folder_chooser.h"
#include "toolkit/label.h"
#include "toolkit/line_chart.h"
#include "toolkit/list_view.h"
#include "toolkit/message_box.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::kDay;
using testing::ListAt;

// 2026-12-09 20:00 UTC, the time zone of these tests.
const HistoryTime kNow = kDay + 20h;
const std::string kTopic = "寒潮来袭";

std::vector<std::string> Titles(const std::vector<TopicStats>& topics) {
    std::vector<std::string> titles;
    for (const TopicStats& topic : topics)
        titles.push_back(topic.title);
    return titles;
}

// A history file in a folder of the test's own, a main window whose settings
// sit beside it, and a day of lists: the topic on Weibo at 2, then 1, off the
// board, back at 4; on Baidu at 2 then 1; and on Weibo the evening before,
// too long ago for the chart.
class HistoryWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        ::setenv("XDG_DATA_HOME", (folder_.path() / "data").c_str(), 1);
        main_ = std::make_unique<MainWindow>(SettingsFile());
    }
    void TearDown() override {
        SetMessageBoxHook({});
        SetSaveChooserHook({});
        main_.reset();
    }

    fs::path SettingsFile() const { return folder_.path() / "config" / "vantrel" / "kweld.ini"; }
    void StoreDay() {
        HistoryStore store;
        ASSERT_TRUE(store.Available()) << store.Problem();
        for (const HistoryList& list : {
                 ListAt("weibo", -300, {kTopic}),
                 ListAt("weibo", -200, {"雪景"}),
                 ListAt("weibo", 1000, {"雪景", kTopic, "春运"}),
                 ListAt("baidu", 1005, {"地铁", kTopic}),
                 ListAt("weibo", 1010, {kTopic, "雪景", "春运"}),
                 ListAt("weibo", 1020, {"雪景", "春运"}),
                 ListAt("baidu", 1025, {kTopic}),
                 ListAt("weibo", 1030, {"雪景", "春运", "电影", kTopic}),
                 ListAt("weibo", 1040, {"雪景", "春运", "电影", kTopic}),
             }) {
            ASSERT_TRUE(store.Store(list).stored);
        }
    }
    HistoryWindow& Open(const std::string& topic) {
        HistoryWindow& window = OpenHistoryWindow(*main_, SourceId::kWeibo, topic);
        window.clock = [] { return kNow; };
        window.Reload();
        return window;
    }
    template <typename T>
    T* Control(HistoryWindow& window, const char* name) {
        T* found = window.findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void Click(HistoryWindow& window, const char* name) {
        QTest::mouseClick(Control<QWidget>(window, name), Qt::LeftButton);
    }

    testing::TempFolder folder_;
    std::unique_ptr<MainWindow> main_;
};

QPolygonF Stairs(std::initializer_list<std::pair<int, int>> minuteRanks) {
    QPolygonF piece;
    for (const auto& [minute, rank] : minuteRanks) {
        const auto at = kDay + std::chrono::minutes(minute);
        piece << QPointF(
            std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count(),
            rank);
    }
    return piece;
}

TEST_F(HistoryWindowTest, ChartsTheTopicOnEverySourceWithGapsOffTheBoard) {
    StoreDay();
    HistoryWindow& window = Open(kTopic);
    auto* chart = Control<LineChart>(window, "折线图_排名");
    const std::vector<ChartLine>& lines = chart->Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].name, QStringLiteral("微博"));
    EXPECT_EQ(lines[1].name, QStringLiteral("百度"));
    EXPECT_NE(lines[0].color, lines[1].color);
    // Each rank holds until the next list; the evening before is outside the 24 hours.
    ASSERT_EQ(lines[0].pieces.size(), 2u);
    EXPECT_EQ(lines[0].pieces[0], Stairs({{1000, 2}, {1010, 2}, {1010, 1}}));
    EXPECT_EQ(lines[0].pieces[1], Stairs({{1030, 4}, {1040, 4}}));
    ASSERT_EQ(lines[1].pieces.size(), 1u);
    EXPECT_EQ(lines[1].pieces[0], Stairs({{1005, 2}, {1025, 2}, {1025, 1}}));
    EXPECT_EQ(Control<Label>(window, "标签_话题")->Text(), QString::fromStdString(kTopic));

    // Another topic from the table's row; one never stored leaves the chart empty.
    auto* table = Control<ListView>(window, "列表_今日");
    const std::vector<std::string> titles = Titles(window.TodayTopics());
    const int row =
        static_cast<int>(std::find(titles.begin(), titles.end(), "电影") - titles.begin());
    QTest::mouseClick(table, Qt::LeftButton, {}, table->RowRect(row).center());
    EXPECT_EQ(window.Topic(), "电影");
    ASSERT_EQ(chart->Lines().size(), 1u);
    EXPECT_EQ(chart->Lines()[0].pieces[0], Stairs({{1030, 3}, {1040, 3}}));
    window.ShowTopic("从未上榜");
    EXPECT_TRUE(chart->Lines().empty());
    EXPECT_FALSE(chart->EmptyText().isEmpty());
}

TEST_F(HistoryWindowTest, TodayTableSortsByColumnAndExportsAsShown) {
    StoreDay();
    HistoryWindow& window = Open(kTopic);
    const ListModel& rows = window.TodayRows();
    // Weibo's topics of the day by first seen, the one from the evening before first.
    EXPECT_EQ(Titles(window.TodayTopics()),
              (std::vector<std::string>{kTopic, "雪景", "春运", "电影"}));
    ASSERT_EQ(rows.ItemCount(), 4);
    EXPECT_EQ(ToUtf8(rows.ItemTitle(2, 0)), "春运");
    EXPECT_EQ(rows.ItemTitle(2, 1), "16:40");
    EXPECT_EQ(ToUtf8(rows.ItemTitle(0, 1)), "12月8日 19:00");
    EXPECT_EQ(rows.ItemTitle(2, 2), "2");
    EXPECT_EQ(ToUtf8(rows.Column(1).title), "首次出现 ▲");

    auto* table = Control<ListView>(window, "列表_今日");
    const QPoint bestRank(300 + 110 + 20, 12);
    QTest::mouseClick(table, Qt::LeftButton, {}, bestRank);
    EXPECT_EQ(Titles(window.TodayTopics()),
              (std::vector<std::string>{kTopic, "雪景", "春运", "电影"}));
    QTest::mouseClick(table, Qt::LeftButton, {}, bestRank);
    EXPECT_EQ(Titles(window.TodayTopics()),
              (std::vector<std::string>{"电影", "春运", kTopic, "雪景"}));
    EXPECT_EQ(ToUtf8(rows.ItemTitle(0, 0)), "电影");
    EXPECT_EQ(ToUtf8(rows.Column(2).title), "最高排名 ▼");
    EXPECT_EQ(ToUtf8(rows.Column(1).title), "首次出现");
    // Opened again from the list, the same window reloads in the order chosen.
    EXPECT_EQ(&OpenHistoryWindow(*main_, SourceId::kWeibo, ""), &window);
    EXPECT_EQ(Titles(window.TodayTopics()),
              (std::vector<std::string>{"电影", "春运", kTopic, "雪景"}));

    QString suggested;
    const fs::path chosen = folder_.path() / "今日";
    SetSaveChooserHook([&](const QString& offered) {
        suggested = offered;
        return QString::fromStdString(chosen.string());
    });
    Click(window, "按钮_导出");
    EXPECT_TRUE(suggested.endsWith(QStringLiteral("/新浪微博今日话题2026年12月9日20时.xls")))
        << suggested.toStdString();
    const fs::path file = folder_.path() / "今日.xls";
    ASSERT_TRUE(fs::exists(file));
    const testing::XlrdSheet sheet = testing::ReadWithXlrd(file);
    if (sheet.rows < 0) GTEST_SKIP() << "Debian's python3 with xlrd is not installed";
    EXPECT_EQ(sheet.rows, 5);
    EXPECT_EQ(sheet.columns, 4);
    EXPECT_EQ(sheet.At(0, 0).value, testing::Quoted("话题"));
    EXPECT_EQ(sheet.At(0, 2).value, testing::Quoted("最高排名"));
    EXPECT_EQ(sheet.At(1, 0).value, testing::Quoted("电影"));
    EXPECT_EQ(sheet.At(1, 1).value, testing::Quoted("17:10"));
    EXPECT_EQ(sheet.At(4, 0).value, testing::Quoted("雪景"));
    EXPECT_EQ(sheet.At(4, 2).value, testing::Quoted("1"));
    // A name the user cancelled writes nothing.
    fs::remove(file);
    SetSaveChooserHook([](const QString&) { return QString(); });
    Click(window, "按钮_导出");
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(HistoryWindowTest, RetentionIsSavedAndAppliedAndClearingAsksFirst) {
    StoreDay();
    HistoryWindow& window = Open(kTopic);
    auto* days = Control<EditBox>(window, "编辑框_保留天数");
    EXPECT_EQ(days->text(), QStringLiteral("30"));
    // Enter on the untouched box chooses nothing: no file.
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_FALSE(fs::exists(RetentionPath(SettingsFile())));
    days->clear();
    QTest::keyClicks(days, QStringLiteral("1"));
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_EQ(testing::ReadFile(RetentionPath(SettingsFile())), "{\"keep_days\": 1}\n");
    // The list of more than a day ago is gone at once: the topic is first seen at 16:40.
    HistoryStore store;
    const std::vector<TopicSummary> weibo = store.Summaries("weibo", kDay - 48h, kNow);
    ASSERT_EQ(weibo.size(), 4u);
    EXPECT_EQ(weibo[0].title, "雪景");
    EXPECT_EQ(weibo[0].firstSeen, kDay - 200min);
    EXPECT_EQ(weibo[1].title, kTopic);
    EXPECT_EQ(weibo[1].firstSeen, kDay + 1000min);

    days->clear();
    QTest::keyClicks(days, QStringLiteral("0"));
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_EQ(days->text(), QStringLiteral("1"));
    EXPECT_NE(Control<Label>(window, "标签_历史状态")->toolTip().indexOf(QStringLiteral("1–365")),
              -1);
    EXPECT_EQ(LoadRetention(RetentionPath(SettingsFile())).days, 1);

    QString asked;
    SetMessageBoxHook([&](MessageBox& box) {
        asked = box.Text();
        box.reject();
    });
    Click(window, "按钮_清除历史");
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_EQ(store.LatestLists().size(), 2u);
    SetMessageBoxHook([](MessageBox& box) {
        QTest::mouseClick(box.findChild<QWidget*>(QStringLiteral("MessageBoxOk")), Qt::LeftButton);
    });
    Click(window, "按钮_清除历史");
    EXPECT_TRUE(store.LatestLists().empty());
    EXPECT_TRUE(store.Series(kTopic, kDay, kNow).empty());
    EXPECT_TRUE(window.TodayTopics().empty());
    EXPECT_TRUE(Control<LineChart>(window, "折线图_排名")->Lines().empty());
}

// A retention file the window cannot use is named under the table, and the
// default stands until the user picks a number.
TEST_F(HistoryWindowTest, AnUnusableRetentionFileIsNamed) {
    StoreDay();
    const fs::path path = RetentionPath(SettingsFile());
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "{\"keep_days\": \"many\"}";
    const std::string problem = LoadRetention(path).problem;
    ASSERT_FALSE(problem.empty());
    HistoryWindow& window = Open(kTopic);
    EXPECT_EQ(Control<Label>(window, "标签_历史状态")->toolTip(), QString::fromStdString(problem));
    EXPECT_EQ(Control<EditBox>(window, "编辑框_保留天数")->text(), QStringLiteral("30"));
    EXPECT_EQ(testing::ReadFile(path), "{\"keep_days\": \"many\"}");
}

// The topic on Weibo every 20 minutes of the day, climbing, off the board
// for two hours and back; on Baidu every half hour from 05:00.
int WeiboRank(int minute) {
    return minute < 520 ? std::clamp(20 - (minute + 220) / 40, 1, 20) : 3 + (minute - 520) / 60 % 4;
}
int BaiduRank(int minute) {
    return std::max(1, 6 - (minute - 300) / 200);
}
bool WeiboHolds(int minute) {
    return minute < 400 || minute >= 520;
}

HistoryList ListWith(const std::string& source, int minute, int rank) {
    std::vector<std::string> titles;
    for (int r = 1; r <= 20; ++r)
        titles.push_back(r == rank ? kTopic : "话题" + std::to_string(r));
    return ListAt(source, minute, titles);
}

void StoreChangingDay() {
    HistoryStore store;
    std::vector<HistoryList> lists;
    for (int minute = -220; minute < 1200; minute += 10) {
        if (minute % 20 == 0)
            lists.push_back(ListWith("weibo", minute, WeiboHolds(minute) ? WeiboRank(minute) : 0));
        if (minute >= 300 && minute % 30 == 0)
            lists.push_back(ListWith("baidu", minute, BaiduRank(minute)));
    }
    ASSERT_TRUE(store.StoreAll(lists));
}

TEST_F(HistoryWindowTest, LooksFinished) {
    StoreChangingDay();
    HistoryWindow& window = Open(kTopic);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QImage picture = window.grab().toImage();
    ASSERT_EQ(picture.size(), QSize(HistoryWindow::kWidth, HistoryWindow::kHeight));
    if (const char* out = std::getenv("VANTREL_SCREENSHOT_DIR")) {
        EXPECT_TRUE(
            picture.save(QString::fromLocal8Bit(out) + QStringLiteral("/history-window.png")));
    }
    EXPECT_EQ(picture.pixelColor(8, 300).rgb() & 0xFFFFFF, 0x1B1D24u);
    test::ExpectTidyLayout(window);
    test::ExpectPlaces(window, {
                                   {"标签_历史标题", {15, 24, 60, 21}, 15, true},
                                   {"按钮EX_关闭", {565, 20, 16, 16}},
                                   {"标签_话题", {20, 54, 560, 20}, 13, true},
                                   {"折线图_排名", {20, 80, 560, 210}},
                                   {"标签_今日", {20, 300, 560, 20}, 13, true},
                                   {"列表_今日", {20, 324, 560, 178}},
                                   {"保留", {20, 514, 30, 28}, 12},
                                   {"编辑框_保留天数", {52, 514, 52, 28}},
                                   {"天", {110, 514, 20, 28}, 12},
                                   {"标签_历史状态", {138, 514, 250, 28}, 12},
                                   {"按钮_清除历史", {400, 514, 90, 30}},
                                   {"按钮_导出", {500, 514, 80, 30}},
                               });
    // Both lines drawn where their ranks are, and nothing of Weibo's while it was off.
    auto* chart = Control<LineChart>(window, "折线图_排名");
    const auto pixel = [&](int minute, int rank) {
        const auto at = kDay + std::chrono::minutes(minute);
        const QPointF point = chart->PlotPoint(
            std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count(),
            rank);
        return chart->mapTo(&window,
                            QPoint(static_cast<int>(point.x()), static_cast<int>(point.y())));
    };
    const auto colourAt = [&](int minute, int rank) {
        return picture.pixelColor(pixel(minute, rank)).rgb() & 0xFFFFFF;
    };
    EXPECT_EQ(colourAt(90, WeiboRank(80)), 0xFF8E17u);
    EXPECT_EQ(colourAt(710, WeiboRank(700)), 0xFF8E17u);
    EXPECT_EQ(colourAt(315, BaiduRank(300)), 0x3399FFu);
    for (int rank = 1; rank <= 20; ++rank)
        EXPECT_NE(colourAt(460, rank), 0xFF8E17u) << rank;
}

// The ways in from the main window, and the pruning at start-up.
TEST_F(HistoryWindowTest, OpensFromTheListAndPrunesAtStartUp) {
    ASSERT_TRUE(SaveRetention(2, RetentionPath(SettingsFile())));
    const HistoryTime now = std::chrono::system_clock::now();
    {
        HistoryStore store;
        HistoryList old = ListAt("weibo", 0, {"旧话题"});
        old.fetchedAt = now - 72h;
        HistoryList recent = ListAt("weibo", 0, {"寒潮来袭"});
        recent.fetchedAt = now - 1h;
        ASSERT_TRUE(store.StoreAll({old, recent}));
    }
    main_->Refresh().SetFetchRoutine(SourceId::kWeibo, [] {
        FetchResult result{FetchStatus::kParsed, 1, {}};
        for (const char* title : {"寒潮来袭", "春运火车票开售", "地铁新线开通"})
            result.entries.push_back({Utf8ToLocal(title), "", "", ""});
        return result;
    });
    InstallHistoryActions(*main_);
    QCoreApplication::processEvents();  // the prune waits for the event loop
    {
        HistoryStore store;
        const std::vector<TopicSummary> kept = store.Summaries("weibo", now - 240h, now);
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(kept[0].title, "寒潮来袭");
    }
    main_->StartUp();
    main_->Refresh().SelectSource(SourceId::kWeibo);
    ListView& list = main_->ListControl();
    main_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));

    emit list.customContextMenuRequested(list.RowRect(1).center());
    auto* menu = main_->findChild<QMenu*>(QStringLiteral("菜单_热点"));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("历史"));
    menu->actions()[0]->trigger();
    menu->close();
    auto* window = OpenChildWindow<HistoryWindow>(*main_);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Topic(), "春运火车票开售");
    EXPECT_EQ(window->Source(), SourceId::kWeibo);
    window->close();

    // H on the row under the pointer.
    const QPoint over = list.RowRect(2).center();
    QMouseEvent move(QEvent::MouseMove, over, list.mapToGlobal(over), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&list, &move);
    ASSERT_EQ(list.HoveredRow(), 2);
    QTest::keyClick(&list, Qt::Key_H);
    window = OpenChildWindow<HistoryWindow>(*main_);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Topic(), "地铁新线开通");
    // The clock in the title row: the same window, on the list's top topic.
    QTest::mouseClick(main_->findChild<QWidget*>(QStringLiteral("按钮EX_历史")), Qt::LeftButton);
    EXPECT_EQ(OpenChildWindow<HistoryWindow>(*main_), window);
    EXPECT_EQ(window->Topic(), "寒潮来袭");
}

}  // namespace
}  // namespace vantrel
