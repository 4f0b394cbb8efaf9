#include "app/list_actions.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

#include <filesystem>

#include "app/main_window.h"
#include "net/code_page.h"
#include "sources/service_hosts.h"
#include "support/loopback_server.h"
#include "support/qt_app.h"
#include "support/url_catcher.h"
#include "toolkit/label.h"
#include "toolkit/list_view.h"
#include "toolkit/tip_box.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class ListActionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SetServiceBase("http://127.0.0.1:" + std::to_string(test::ClosedPort())));
        for (const char* scheme : {"http", "https"}) {
            QDesktopServices::setUrlHandler(scheme, &catcher_, "Open");
        }
        folder_ = fs::temp_directory_path() / ("vantrel-list-actions-" + std::to_string(getpid()));
        fs::create_directories(folder_);
        window_ = std::make_unique<MainWindow>(folder_ / "kweld.ini");
        InstallListActions(*window_);
    }
    void TearDown() override {
        CloseTipBox();
        window_.reset();
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(scheme);
        SetServiceBase("");
        fs::remove_all(folder_);
    }

    void Show(SourceId source, std::vector<ListEntry> entries, int base = 0) {
        window_->Refresh().SetFetchRoutine(source, [entries, base] {
            return FetchResult{FetchStatus::kParsed, base, entries};
        });
        window_->StartUp();
        window_->State().currentSource = source;
        window_->Refresh().RefreshCurrentSource();
    }

    test::UrlCatcher catcher_;
    fs::path folder_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(ListActionsTest, RowsOpenTheirSearchWithTheWholeTitle) {
    Show(SourceId::kBaidu, {{Utf8ToLocal("第一"), "", "", ""},
                            {Utf8ToLocal("第二"), "", "", ""},
                            {Utf8ToLocal("A&B #3 问?"), "1", Utf8ToLocal("描述"), ""}});
    ASSERT_EQ(window_->List().ItemCount(), 3);
    emit window_->ListControl().RowActivated(2);
    ASSERT_EQ(catcher_.urls.size(), 1);
    EXPECT_TRUE(catcher_.urls[0].endsWith("/baidu?&wd=A%26B%20%233%20%E9%97%AE%3F"))
        << catcher_.urls[0].toStdString();

    emit window_->ViewAllLink().Clicked();
    ASSERT_EQ(catcher_.urls.size(), 2);
    EXPECT_TRUE(catcher_.urls[1].endsWith("/buzz?b=1")) << catcher_.urls[1].toStdString();
}

TEST_F(ListActionsTest, ViewAllLinkTellsWhatItOpensWhileThePointerIsOnIt) {
    LinkLabel& viewAll = window_->ViewAllLink();
    ASSERT_EQ(viewAll.objectName(), QStringLiteral("标签EX1"));
    const QPointF inside(2, 2);
    QEnterEvent enter(inside, viewAll.mapToGlobal(inside), viewAll.mapToGlobal(inside));
    QApplication::sendEvent(&viewAll, &enter);
    EXPECT_EQ(ShownTipText(), QStringLiteral("查看全部"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&viewAll, &leave);
    EXPECT_TRUE(ShownTipText().isEmpty());
}

TEST_F(ListActionsTest, BaiduDescriptionStopsTheEdgeTimerWhileShown) {
    Show(SourceId::kBaidu, {{Utf8ToLocal("标题"), "3", Utf8ToLocal("一段描述文字"), ""}});
    window_->State().dockToEdge = true;
    auto* edge = window_->findChild<QTimer*>(QStringLiteral("时钟_靠边"));
    ASSERT_NE(edge, nullptr);

    emit window_->ListControl().RowHovered(0);
    EXPECT_EQ(ShownTipText(), QStringLiteral("一段描述文字"));
    EXPECT_FALSE(edge->isActive());

    emit window_->ListControl().RowsLeft();
    EXPECT_TRUE(ShownTipText().isEmpty());
    EXPECT_TRUE(edge->isActive());
    EXPECT_EQ(edge->interval(), 10);

    window_->State().dockToEdge = false;
    emit window_->ListControl().RowHovered(0);
    emit window_->ListControl().RowsLeft();
    EXPECT_FALSE(edge->isActive());
}

TEST_F(ListActionsTest, RowsClearedUnderThePointerLeaveTheirHoverState) {
    Show(SourceId::kBaidu, {{Utf8ToLocal("标题"), "3", Utf8ToLocal("一段描述文字"), ""}});
    window_->State().dockToEdge = true;
    auto* edge = window_->findChild<QTimer*>(QStringLiteral("时钟_靠边"));
    ListView& view = window_->ListControl();
    const QPoint onRow = view.RowRect(0).center();
    ASSERT_FALSE(view.RowRect(0).isEmpty());
    QMouseEvent move(QEvent::MouseMove, onRow, view.mapToGlobal(onRow), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    ASSERT_EQ(view.cursor().shape(), Qt::PointingHandCursor);
    ASSERT_FALSE(edge->isActive());
    ASSERT_FALSE(ShownTipText().isEmpty());

    // Another source that answers nothing: the row goes while the pointer rests on it.
    window_->Refresh().SetFetchRoutine(SourceId::kWeibo, [] { return FetchResult{}; });
    window_->Refresh().SelectSource(SourceId::kWeibo);
    ASSERT_EQ(window_->List().ItemCount(), 0);
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(edge->isActive());
    EXPECT_TRUE(ShownTipText().isEmpty());
}

TEST_F(ListActionsTest, DouyinRowsKeepTheirLinks) {
    Show(SourceId::kDouyin, {{"a", "", "", "http://v/2|http://v/1"}, {"b", "", "", ""}}, 1);
    emit window_->ListControl().RowActivated(0);
    EXPECT_EQ(window_->State().clickedLinksText, "http://v/2|http://v/1");
    EXPECT_EQ(window_->State().clickedLinks,
              (std::vector<std::string>{"http://v/2", "http://v/1"}));
    EXPECT_TRUE(catcher_.urls.isEmpty());
}

TEST_F(ListActionsTest, ToutiaoRowsOpenTheSearchedLinkAsUtf8) {
    test::LoopbackServer server([](const std::string&) {
        return test::HttpReply("HTTP/1.1 200 OK",
                               "<a href=\"/x?url=https%3A%2F%2Fso.toutiao.test%2Fs%3Fq%3D"
                               "%E5%86%AC%E8%87%B3 习俗&amp;a=1\"> url=http://b.test/&amp;");
    });
    ASSERT_TRUE(SetServiceBase(server.base()));
    Show(SourceId::kToutiao, {{Utf8ToLocal("冬至"), "", "", ""}}, 1);
    emit window_->ListControl().RowActivated(0);
    ASSERT_EQ(catcher_.urls.size(), 1);
    EXPECT_EQ(catcher_.urls[0].toStdString(),
              "https://so.toutiao.test/s?q=%E5%86%AC%E8%87%B3%20%E4%B9%A0%E4%BF%97");
    EXPECT_NE(server.lastRequest().find("keyword=%E5%86%AC%E8%87%B3&"), std::string::npos);

    // Without an answer there is nothing to open.
    ASSERT_TRUE(SetServiceBase("http://127.0.0.1:" + std::to_string(test::ClosedPort())));
    emit window_->ListControl().RowActivated(0);
    EXPECT_EQ(catcher_.urls.size(), 1);
}

// Rows of the fallback lists name their page: it opens as it stands, with no
// search request and no video window; the source button tells who answered.
TEST_F(ListActionsTest, FallbackRowsOpenTheirOwnPageAndTheButtonTellsWhoAnswered) {
    ListEntry trending{Utf8ToLocal("热点"), "", "", ""};
    trending.page = "https://www.toutiao.com/trending/7320000000000000002/";
    FetchResult fallback{FetchStatus::kParsed, 1, {trending}};
    fallback.answeredBy = 1;
    fallback.failures = {{0, FetchFailure::kTimeout, 0}};
    window_->Refresh().SetFetchRoutine(SourceId::kToutiao, [fallback] { return fallback; });
    window_->StartUp();
    window_->Refresh().SelectSource(SourceId::kToutiao);
    emit window_->ListControl().RowActivated(0);
    ASSERT_EQ(catcher_.urls.size(), 1);
    EXPECT_EQ(catcher_.urls[0].toStdString(), trending.page);

    ListEntry hot{Utf8ToLocal("雪"), "", "", ""};
    hot.page = "https://www.douyin.com/hot/2100000";
    FetchResult douyin{FetchStatus::kParsed, 1, {hot}};
    window_->Refresh().SetFetchRoutine(SourceId::kDouyin, [douyin] { return douyin; });
    window_->Refresh().SelectSource(SourceId::kDouyin);
    emit window_->ListControl().RowActivated(0);
    ASSERT_EQ(catcher_.urls.size(), 2);
    EXPECT_EQ(catcher_.urls[1].toStdString(), hot.page);
    EXPECT_TRUE(window_->State().clickedLinksText.empty());

    auto* button = window_->findChild<QWidget*>(QStringLiteral("超级按钮EX_头条"));
    ASSERT_NE(button, nullptr);
    const QStringList lines = button->toolTip().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2) << button->toolTip().toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("头条 · 备用接口1 · ")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" 更新")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("上次失败：超时 · 主接口 · ")));

    // A fetch that gets no list keeps the rows and says so beside their age.
    window_->Refresh().SetFetchRoutine(SourceId::kDouyin, [] {
        FetchResult none{FetchStatus::kRequestFailed, 1, {}};
        none.answeredBy = -1;
        return none;
    });
    window_->Refresh().SelectSource(SourceId::kDouyin);
    auto* age = window_->findChild<Label*>(QStringLiteral("标签_刷新时间"));
    ASSERT_NE(age, nullptr);
    EXPECT_TRUE(age->Text().endsWith(QStringLiteral("前更新 · 加载失败")))
        << age->Text().toStdString();
    EXPECT_EQ(window_->List().ItemCount(), 1);
}

}  // namespace
}  // namespace vantrel
