#include "viewer/video_window.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

#include "media/media_player.h"
#include "settings/temp_folder.h"
#include "sources/loopback_http_server.h"
#include "sources/service_hosts.h"
#include "support/loopback_server.h"
#include "support/qt_app.h"
#include "toolkit/caption_button.h"
#include "toolkit/label.h"
#include "toolkit/picture_box.h"
#include "toolkit/skin.h"
#include "viewer/icon_button.h"
#include "viewer/video_viewer.h"

namespace vantrel {
namespace {

using test::HttpReply;
using test::LoopbackServer;
using test::Reply;
using test::RequestTarget;

std::string Fixture(const char* name) {
    std::ifstream in(std::string(VANTREL_DEMO_SAMPLES_DIR) + "/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Item answers for any id (its digits become the item id), the play redirect,
// the avatar, the profile and the video; the test can change what they say.
struct Service {
    std::string itemStatus = "0";
    bool playRedirects = true;
    int videoStatus = 200;
    std::string video = Fixture("demo_video.mp4");
    std::mutex mutex;  // the player fetches the video on threads of its own
    LoopbackServer server{[this](const std::string& request) { return Answer(request); }};
    // The video itself comes from a server that answers Range requests, as players want.
    LoopbackHttpServer media{[this](const HttpServerRequest&) { return Video(); }};

    Service() { media.Start(); }
    ~Service() { media.Stop(); }
    HttpServerResponse Video() {
        std::lock_guard lock(mutex);
        HttpServerResponse response;
        response.status = videoStatus;
        response.contentType = "video/mp4";
        response.body = video;
        return response;
    }

    template <typename Change>
    void Set(Change change) {
        std::lock_guard lock(mutex);
        change(*this);
    }
    Reply Answer(const std::string& request) {
        std::lock_guard lock(mutex);
        const std::string target = RequestTarget(request);
        const std::string base = server.base();
        if (target.starts_with("/web/api/v2/aweme/iteminfo/?item_ids=")) {
            const std::string id = target.substr(target.find('=') + 1);
            return HttpReply("HTTP/1.1 200 OK",
                             "{\"status_code\":" + itemStatus + ",\"item_list\":[{\"desc\":\"第" +
                                 id + "条\",\"author\":{\"uid\":\"u" + id +
                                 "\",\"nickname\":\"作者" + id +
                                 "\",\"avatar_thumb\":{\"url_list\":[\"" + base +
                                 "/avatar.jpg\"]}},\"video\":{\"play_addr\":{\"url_list\":[\"" +
                                 base + "/aweme/v1/playwm/?video_id=" + id +
                                 "\"]},\"duration\":4000},\"statistics\":{\"aweme_id\":\"" + id +
                                 "\",\"digg_count\":25000,\"comment_count\":10000}}]}");
        }
        if (target.starts_with("/aweme/v1/play/?video_id=") && playRedirects)
            return HttpReply(
                "HTTP/1.1 302 Found", "",
                {"Location: " + media.Base() + "/video/" + target.substr(25) + ".mp4"});
        if (target == "/avatar.jpg")
            return HttpReply("HTTP/1.1 200 OK", Fixture("demo_avatar.jpg"));
        if (target.starts_with("/web/api/v2/user/info/?uid="))
            return HttpReply("HTTP/1.1 200 OK",
                             "{\"user_info\":{\"uid\":\"" + target.substr(27) +
                                 "\",\"nickname\":\"小雪\",\"signature\":\"\"}}");
        return HttpReply("HTTP/1.1 200 OK", "");
    }
    int Count(std::string_view prefix) const {
        int n = 0;
        for (const std::string& request : server.requests())
            n += RequestTarget(request).starts_with(prefix);
        return n;
    }
};

std::tm AtFourteenSeven() {
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 9;
    t.tm_hour = 14;
    t.tm_min = 7;
    return t;
}

class VideoWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SetServiceBase(service.server.base()));
        setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        viewer.localTime = AtFourteenSeven;
    }
    void TearDown() override {
        SetServiceBase("");
        unsetenv("XDG_DATA_HOME");
    }
    template <typename T>
    T* Find(const char* name) {
        return viewer.Window() ? viewer.Window()->findChild<T*>(QString::fromUtf8(name)) : nullptr;
    }
    QString LabelText(const char* name) { return Find<Label>(name)->Text(); }
    void Click(const char* name) { Find<QAbstractButton>(name)->click(); }

    Service service;
    testing::TempFolder data;
    MediaPlayer player;
    std::vector<std::string> links{"https://s/share/video/101/", "https://s/share/video/202/",
                                   "https://s/share/video/303/", "https://s/share/video/404/"};
    bool soundOn = false;
    VideoViewer viewer{player, links, soundOn};
    QWidget owner;
};

TEST_F(VideoWindowTest, EveryControlAtItsPlace) {
    links.clear();
    viewer.ShowLinks(&owner);
    EXPECT_EQ(viewer.Window(), nullptr);  // a row without links opens nothing
    VideoWindow window(viewer, &owner);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("抖音播放界面"));
    EXPECT_EQ(window.size(), QSize(370, 578));
    const std::pair<const char*, QRect> places[] = {
        {"标签EX2", {23, 17, 201, 24}},          {"按钮EX_关闭", {332, 17, 16, 16}},
        {"图片框1", {23, 50, 260, 462}},         {"标签EX_内容", {23, 517, 260, 43}},
        {"图片框EX_头像", {299, 48, 48, 48}},    {"标签EX_名称", {299, 100, 48, 44}},
        {"图片框EX1", {303, 150, 40, 40}},       {"图片框EX2", {303, 210, 40, 40}},
        {"标签EX_点赞数", {299, 192, 48, 16}},   {"标签EX_评论数", {299, 252, 48, 16}},
        {"超级按钮EX_声音", {303, 312, 40, 40}}, {"超级按钮EX_换一个", {303, 368, 40, 40}},
        {"超级按钮EX_下载", {303, 424, 40, 40}}, {"编辑框EX1", {288, 472, 64, 32}},
        {"超级按钮EX1", {288, 520, 72, 24}},
    };
    for (const auto& [name, place] : places) {
        QWidget* control = window.findChild<QWidget*>(QString::fromUtf8(name));
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->geometry(), place) << name;
    }
    EXPECT_EQ(window.findChild<Label*>(QStringLiteral("标签EX2"))->Text(),
              QStringLiteral("抖音播放"));
    // Before a video loads nothing shows a control's name.
    EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("编辑框EX1"))->text(), QString());
    EXPECT_EQ(window.findChild<Label*>(QStringLiteral("标签EX_内容"))->Text(), QString());
    EXPECT_EQ(window.findChild<Label*>(QStringLiteral("标签EX_名称"))->Text(), QString());
    EXPECT_EQ(window.findChild<CaptionButton*>(QStringLiteral("超级按钮EX1"))->text(),
              QStringLiteral("播放链接"));
    // The title and the description in the bright text, the counts and the
    // author's name in the muted one.
    const std::pair<const char*, std::uint32_t> colours[] = {
        {"标签EX2", skin::kText},
        {"标签EX_内容", skin::kText},
        {"标签EX_名称", skin::kMutedText},
        {"标签EX_点赞数", skin::kMutedText},
        {"标签EX_评论数", skin::kMutedText},
    };
    for (const auto& [name, colour] : colours)
        EXPECT_EQ(window.findChild<Label*>(QString::fromUtf8(name))->TextColor(), colour) << name;
    // What answers a click shows a hand; the title lets a press through to
    // the window, which is dragged by it.
    for (const char* name : {"图片框EX_头像", "超级按钮EX_声音", "超级按钮EX_换一个",
                             "超级按钮EX_下载", "超级按钮EX1", "按钮EX_关闭"}) {
        EXPECT_EQ(window.findChild<QWidget*>(QString::fromUtf8(name))->cursor().shape(),
                  Qt::PointingHandCursor)
            << name;
    }
    EXPECT_EQ(window.childAt(QPoint(60, 28)), nullptr);
}

TEST_F(VideoWindowTest, OpensMutedOnTheFirstLinkAndShowsTheItem) {
    viewer.ShowLinks(&owner);
    ASSERT_NE(viewer.Window(), nullptr);
    EXPECT_EQ(RequestTarget(service.server.requests()[0]),
              "/web/api/v2/aweme/iteminfo/?item_ids=101");
    EXPECT_EQ(LabelText("标签EX_内容"), QStringLiteral("第101条"));
    EXPECT_EQ(LabelText("标签EX_点赞数"), QStringLiteral("2w"));
    EXPECT_EQ(LabelText("标签EX_评论数"), QStringLiteral("10000"));
    EXPECT_EQ(LabelText("标签EX_名称"), QStringLiteral("作者101"));
    EXPECT_EQ(Find<PictureBox>("图片框EX_头像")->Picture().size(), QSize(96, 96));
    EXPECT_EQ(player.URL(), QString::fromStdString(service.media.Base() + "/video/101.mp4"));
    EXPECT_EQ(Find<QLineEdit>("编辑框EX1")->text(), QStringLiteral("https://s/share/video/101/"));
    EXPECT_EQ(Find<QLineEdit>("编辑框EX1")->cursorPosition(), 0);  // a long link shows its start
    EXPECT_EQ(player.uiMode(), QStringLiteral("none"));
    EXPECT_EQ(player.playCount(), 999);
    EXPECT_EQ(viewer.State().currentAwemeId, "101");
    EXPECT_EQ(viewer.State().currentAuthorUid, "u101");
    // videoSoundOn false: muted, and the sound button shows it.
    EXPECT_TRUE(player.mute());
    EXPECT_TRUE(Find<IconButton>("超级按钮EX_声音")->Selected());
    Click("超级按钮EX_声音");
    EXPECT_FALSE(player.mute());
    EXPECT_TRUE(soundOn);
    EXPECT_FALSE(Find<IconButton>("超级按钮EX_声音")->Selected());

    // The avatar click asks for the author and shows the answer at once, and
    // as the avatar's tooltip from then on.
    QTest::mouseClick(Find<PictureBox>("图片框EX_头像"), Qt::LeftButton);
    EXPECT_EQ(service.Count("/web/api/v2/user/info/?uid=u101"), 1);
    const QString tip = Find<PictureBox>("图片框EX_头像")->toolTip();
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), tip);
    EXPECT_TRUE(tip.contains(QStringLiteral("小雪"))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("无个性签名")));
    EXPECT_TRUE(tip.contains(QStringLiteral("未设置")));
}

// A window the window manager keeps above its owner must not hide it: it
// opens beside the owner, on the side with room.
TEST_F(VideoWindowTest, OpensBesideItsOwner) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    owner.setGeometry(area.x() + 20, area.y() + 20, 308, 542);
    owner.show();
    viewer.ShowLinks(&owner);
    VideoWindow* window = viewer.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_GE(window->frameGeometry().x(), owner.frameGeometry().right());
    EXPECT_TRUE(area.contains(window->frameGeometry()));

    owner.move(area.x() + area.width() - 320, area.y() + 20);
    window->PlaceBesideOwner();
    EXPECT_LE(window->frameGeometry().right(), owner.frameGeometry().x());
    EXPECT_TRUE(area.contains(window->frameGeometry()));
}

TEST_F(VideoWindowTest, TheLinkBoxTakesTheFocusOnlyFromAClick) {
    viewer.ShowLinks(&owner);
    VideoWindow* window = viewer.Window();
    ASSERT_NE(window, nullptr);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto* box = Find<QLineEdit>("编辑框EX1");
    EXPECT_FALSE(box->hasFocus());
    Click("超级按钮EX_换一个");
    EXPECT_FALSE(box->hasFocus());
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(box->hasFocus());

    // A typed link stays while other videos play, and shows once it plays.
    box->clear();
    QTest::keyClicks(box, QStringLiteral("https://s/share/video/555/"));
    Click("超级按钮EX_换一个");
    EXPECT_EQ(box->text(), QStringLiteral("https://s/share/video/555/"));
    Click("超级按钮EX1");
    EXPECT_EQ(service.Count("/web/api/v2/aweme/iteminfo/?item_ids=555"), 1);
    Click("超级按钮EX_换一个");
    EXPECT_NE(box->text(), QStringLiteral("https://s/share/video/555/"));
}

TEST_F(VideoWindowTest, AnotherRowWhileOpenAndTheRandomButtonReachEveryLink) {
    viewer.ShowLinks(&owner);
    VideoWindow* window = viewer.Window();
    for (int i = 0; i < 40; ++i)
        Click("超级按钮EX_换一个");
    for (int i = 0; i < 20; ++i)
        viewer.ShowLinks(&owner);
    EXPECT_EQ(viewer.Window(), window);
    for (const char* id : {"101", "202", "303", "404"})
        EXPECT_GT(service.Count(std::string("/web/api/v2/aweme/iteminfo/?item_ids=") + id), 1)
            << id;
    EXPECT_EQ(service.Count("/web/api/v2/aweme/iteminfo/"), 61);
    // The links stay as they were.
    EXPECT_EQ(links.size(), 4u);
    EXPECT_EQ(links[2], "https://s/share/video/303/");
}

TEST_F(VideoWindowTest, ABadItemAnswerChangesNothingAndNoRedirectEmptiesTheAddress) {
    viewer.ShowLinks(&owner);
    service.Set([](Service& s) { s.itemStatus = "2"; });
    Find<QLineEdit>("编辑框EX1")->setText(QStringLiteral("https://s/share/video/555/"));
    Click("超级按钮EX1");
    EXPECT_EQ(service.Count("/web/api/v2/aweme/iteminfo/?item_ids=555"), 1);
    EXPECT_EQ(LabelText("标签EX_内容"), QStringLiteral("第101条"));
    EXPECT_EQ(viewer.State().currentAwemeId, "101");

    service.Set([](Service& s) {
        s.itemStatus = "0";
        s.playRedirects = false;
    });
    Click("超级按钮EX1");
    EXPECT_EQ(viewer.State().currentVideoAddress, "");
    EXPECT_EQ(viewer.State().currentAwemeId, "555");
    EXPECT_EQ(LabelText("标签EX_名称"), QStringLiteral("作者101"));  // labels keep the last video
    Click("超级按钮EX_下载");
    EXPECT_EQ(LabelText("标签EX_内容"), QStringLiteral("视频地址为空"));
    EXPECT_TRUE(std::filesystem::is_directory(data.path() / "vantrel" / "抖音视频"));
}

TEST_F(VideoWindowTest, DownloadSavesTheServedBytesOrSaysItFailed) {
    viewer.ShowLinks(&owner);
    Click("超级按钮EX_下载");
    EXPECT_EQ(LabelText("标签EX_内容"), QStringLiteral("下载成功"));
    const auto file = data.path() / "vantrel" / "抖音视频" / "2024年1月9日14时7分101.mp4";
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_TRUE(testing::ReadFile(file) == service.video);

    std::filesystem::remove(file);
    service.Set([](Service& s) { s.videoStatus = 404; });
    Click("超级按钮EX_下载");
    EXPECT_EQ(LabelText("标签EX_内容"), QStringLiteral("视频下载【失败】"));
    EXPECT_TRUE(std::filesystem::is_empty(data.path() / "vantrel" / "抖音视频"));
}

TEST_F(VideoWindowTest, CloseDestroysTheWindowNotThePlayer) {
    viewer.ShowLinks(&owner);
    QPointer<VideoWindow> window = viewer.Window();
    Click("按钮EX_关闭");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(viewer.Window(), nullptr);
    EXPECT_EQ(player.URL(), QString());  // the control went with the window
    EXPECT_EQ(viewer.State().currentAwemeId, "101");

    // The next row opens a new window on the same player.
    viewer.ShowLinks(&owner);
    ASSERT_NE(viewer.Window(), nullptr);
    EXPECT_NE(player.URL(), QString());
}

}  // namespace
}  // namespace vantrel
