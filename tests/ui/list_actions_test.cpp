#include "app/list_actions.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDesktopServices>
#include <QTimer>
#include <QUrl>

#include <filesystem>

#include "app/main_window.h"
#include "net/code_page.h"
#include "sources/service_hosts.h"
#include "support/loopback_server.h"
#include "toolkit/label.h"
#include "toolkit/list_view.h"
#include "toolkit/tip_box.h"
#include "ui/qt_app.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// Collects what the program hands to the default browser.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QStringList urls;
  public slots:
    void Open(const QUrl& url) { urls << QString::fromUtf8(url.toEncoded()); }
};

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

    UrlCatcher catcher_;
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

TEST_F(ListActionsTest, DouyinRowsKeepTheirLinksAndToutiaoWithoutAnswerOpensNothing) {
    Show(SourceId::kDouyin, {{"a", "", "", "http://v/2|http://v/1"}, {"b", "", "", ""}}, 1);
    emit window_->ListControl().RowActivated(0);
    EXPECT_EQ(window_->State().clickedLinksText, "http://v/2|http://v/1");
    EXPECT_EQ(window_->State().clickedLinks,
              (std::vector<std::string>{"http://v/2", "http://v/1"}));
    EXPECT_TRUE(catcher_.urls.isEmpty());

    Show(SourceId::kToutiao, {{Utf8ToLocal("头条"), "", "", ""}}, 1);
    emit window_->ListControl().RowActivated(0);  // the search host is a closed port
    EXPECT_TRUE(catcher_.urls.isEmpty());
}

}  // namespace
}  // namespace vantrel

#include "list_actions_test.moc"
