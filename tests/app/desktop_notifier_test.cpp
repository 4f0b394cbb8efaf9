#include "app/desktop_notifier.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "app/desktop_alerts.h"
#include "app/main_window.h"
#include "net/code_page.h"
#include "rules/rules_file.h"
#include "settings/temp_folder.h"
#include "sources/search_links.h"
#include "support/qt_app.h"
#include "support/session_bus.h"
#include "support/url_catcher.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// A private bus with the recording service on it, and this process connected.
class NotifierTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        if (!bus_.Start(why)) GTEST_SKIP() << why;
        log_ = folder_.path() / "notify.jsonl";
        if (!bus_.StartNotificationServer(log_.string(), why)) GTEST_SKIP() << why;
        connection_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QString::fromStdString(bus_.Address()), Name()));
        ASSERT_TRUE(connection_->isConnected());
    }
    void TearDown() override {
        connection_.reset();
        QDBusConnection::disconnectFromBus(Name());
    }

    static QString Name() { return QStringLiteral("vantrel-notifier-test"); }

    std::vector<json> WaitForRecords(std::size_t count) {
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return test::NotifyCalls(log_.string()).size() >= count; }, 10000));
        return test::NotifyCalls(log_.string());
    }

    void Invoke(unsigned id, const QString& action) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.vantrel.TestNotifications"), QStringLiteral("Invoke"));
        call << id << action;
        connection_->call(call);
    }

    testing::TempFolder folder_;
    test::SessionBus bus_;
    fs::path log_;
    std::unique_ptr<QDBusConnection> connection_;
};

TEST_F(NotifierTest, NoticeCarriesSummaryBodyIconAndDefaultAction) {
    DesktopNotifier notifier(*connection_);
    std::vector<AlertNotice> activated;
    notifier.onActivated = [&](const AlertNotice& n) { activated.push_back(n); };
    const AlertNotice one{SourceId::kWeibo,
                          {{SourceId::kWeibo, 3, Utf8ToLocal("台风<登陆>&福建"), "", ""}}};
    notifier.Show(one);
    const AlertNotice two{SourceId::kDouyin,
                          {{SourceId::kDouyin, 1, Utf8ToLocal("甲"), "", ""},
                           {SourceId::kDouyin, 7, Utf8ToLocal("乙"), "", ""}}};
    notifier.Show(two);

    const std::vector<json> records = WaitForRecords(2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]["summary"], "热点提醒 · 微博");
    // The service reads no markup: the title goes as it stands.
    EXPECT_EQ(records[0]["body"], "第3名 · 台风<登陆>&福建");
    EXPECT_EQ(records[0]["app_icon"], "org.vantrel.Vantrel");
    EXPECT_EQ(records[0]["desktop_entry"], "org.vantrel.Vantrel");
    EXPECT_EQ(records[0]["image"], json::array({64, 64, 256, true, 8, 4, 64 * 64 * 4}));
    EXPECT_EQ(records[0]["actions"][0], "default");
    EXPECT_EQ(records[1]["summary"], "热点提醒 · 抖音");
    EXPECT_EQ(records[1]["body"], "2 条热点\n第1名 · 甲\n第7名 · 乙");

    ASSERT_TRUE(QTest::qWaitFor([&] { return notifier.Pending() == 0; }, 5000));
    Invoke(records[1]["id"], QStringLiteral("default"));
    Invoke(records[0]["id"], QStringLiteral("other"));
    Invoke(99, QStringLiteral("default"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !activated.empty(); }, 5000));
    QTest::qWait(200);
    ASSERT_EQ(activated.size(), 1u);
    EXPECT_EQ(activated[0].source, SourceId::kDouyin);
    EXPECT_EQ(activated[0].alerts.size(), 2u);
}

TEST_F(NotifierTest, TheWindowsListsNotifyOnceAndTheActionOpensTheRow) {
    const fs::path settings = folder_.path() / "config" / "kweld.ini";
    fs::create_directories(settings.parent_path());
    testing::WriteFile(settings.parent_path() / "rules.json",
                       R"({"rules": [{"name": "天气", "words": ["台风"], "notify": true},
                                     {"name": "不提醒", "words": ["球赛"]}]})");
    std::vector<std::vector<std::string>> lists = {
        {"置顶", "台风登陆", "球赛"}, {"置顶", "台风登陆", "球赛", "台风过境", "台风预警"}};
    std::size_t served = 0;
    MainWindow window(settings);
    window.Refresh().SetFetchRoutine(SourceId::kWeibo, [&] {
        FetchResult result{FetchStatus::kParsed, 0, {}};
        for (const std::string& title : lists[std::min(served, lists.size() - 1)])
            result.entries.push_back({Utf8ToLocal(title), "", "", ""});
        ++served;
        return result;
    });
    auto* alerts = new DesktopAlerts(window, *connection_, folder_.path() / "notified.json");
    window.StartUp();  // a first start shows Weibo
    ASSERT_EQ(served, 1u);
    std::vector<json> records = WaitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["body"], "第1名 · 台风登陆");

    // The next list: two new titles in one notice, the old one not again.
    window.Refresh().RefreshCurrentSource();
    records = WaitForRecords(2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1]["body"], "2 条热点\n第3名 · 台风过境\n第4名 · 台风预警");
    // The 24-hour memory is in its file.
    EXPECT_NE(testing::ReadFile(folder_.path() / "notified.json").find("台风过境"),
              std::string::npos);

    // The first notice's action opens the row's search, as activating the row would.
    test::UrlCatcher catcher;
    for (const char* scheme : {"http", "https"})
        QDesktopServices::setUrlHandler(scheme, &catcher, "Open");
    ASSERT_TRUE(QTest::qWaitFor([&] { return alerts->Notifier().Pending() == 0; }, 5000));
    Invoke(records[0]["id"], QStringLiteral("default"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !catcher.urls.isEmpty(); }, 5000));
    for (const char* scheme : {"http", "https"})
        QDesktopServices::unsetUrlHandler(scheme);
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].toStdString(), OpenerLink(WeiboSearchLink(Utf8ToLocal("台风登陆"))));
}

TEST(NotifierWithoutService, NothingFailsAndNothingWaits) {
    test::SessionBus bus;
    std::string why;
    if (!bus.Start(why)) GTEST_SKIP() << why;
    const AlertNotice notice{SourceId::kBaidu, {{SourceId::kBaidu, 2, "x", "", ""}}};
    {
        // A bus without a notification service.
        QDBusConnection connection =
            QDBusConnection::connectToBus(QString::fromStdString(bus.Address()), "no-service");
        ASSERT_TRUE(connection.isConnected());
        DesktopNotifier notifier(connection);
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 20; ++i)
            notifier.Show(notice);
        EXPECT_LT(timer.elapsed(), 1000);
        EXPECT_TRUE(QTest::qWaitFor([&] { return notifier.Pending() == 0; }, 5000));
    }
    QDBusConnection::disconnectFromBus("no-service");
    // No bus at all.
    QDBusConnection nowhere =
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "nowhere");
    EXPECT_FALSE(nowhere.isConnected());
    DesktopNotifier notifier(nowhere);
    notifier.Show(notice);
    EXPECT_EQ(notifier.Pending(), 0);
    QDBusConnection::disconnectFromBus("nowhere");
}

}  // namespace
}  // namespace vantrel
