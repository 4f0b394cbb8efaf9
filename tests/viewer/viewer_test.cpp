#include <gtest/gtest.h>

#include <strings.h>

#include <fstream>
#include <sstream>

#include "net/code_page.h"
#include "settings/temp_folder.h"
#include "sources/service_hosts.h"
#include "support/loopback_server.h"
#include "viewer/author_profile.h"
#include "viewer/format_count.h"
#include "viewer/video_download.h"
#include "viewer/video_item.h"

namespace vantrel {
namespace {

using test::HttpReply;
using test::LoopbackServer;
using test::Reply;
using test::RequestHeaderLines;
using test::RequestTarget;

std::string Local(const char* utf8) {
    return Utf8ToLocal(std::string_view(utf8));
}

std::string ItemAnswer(const std::string& base, const std::string& statusCode = "0") {
    return "{\"status_code\":" + statusCode +
           ",\"item_list\":[{\"desc\":\"雪人 #冬日\",\"create_time\":1703131200,"
           "\"author\":{\"uid\":\"58246913570\",\"nickname\":\"小雪\","
           "\"avatar_thumb\":{\"url_list\":[\"" +
           base +
           "/a.jpg\"]}},"
           "\"video\":{\"play_addr\":{\"url_list\":[\"" +
           base +
           "/aweme/v1/playwm/?video_id=v02&playwm=1\"]},"
           "\"cover\":{\"url_list\":[\"" +
           base +
           "/c.jpg\"]},\"duration\":15999},"
           "\"statistics\":{\"aweme_id\":\"7301\",\"digg_count\":25000,\"comment_count\":10000}}]}";
}

TEST(FormatCountTest, TenThousandsAboveTenThousand) {
    EXPECT_EQ(FormatCount("10000"), "10000");
    EXPECT_EQ(FormatCount("10001"), "1w");
    EXPECT_EQ(FormatCount("25000"), "2w");
    EXPECT_EQ(FormatCount("123456"), "12w");
    EXPECT_EQ(FormatCount("20000"), "2w");
    EXPECT_EQ(FormatCount("987"), "987");
    EXPECT_EQ(FormatCount(""), "");
}

TEST(ItemIdTest, BetweenVideoAndTheNextSlash) {
    EXPECT_EQ(ItemIdOfLink("https://www.iesdouyin.com/share/video/7301/?region=CN"), "7301");
    EXPECT_EQ(ItemIdOfLink("https://www.iesdouyin.com/share/video/7301"), "");
    EXPECT_EQ(ItemIdOfLink("https://www.iesdouyin.com/share/note/7301/"), "");
}

class VideoItemTest : public ::testing::Test {
  protected:
    // The item answer for /web/...; the play request redirects unless told not to.
    void Serve(std::string itemStatus, bool playRedirects) {
        server = std::make_unique<LoopbackServer>(
            [this, itemStatus, playRedirects](const std::string& request) {
                const std::string target = RequestTarget(request);
                if (target.starts_with("/web/api/v2/aweme/iteminfo/"))
                    return HttpReply("HTTP/1.1 200 OK", ItemAnswer(server->base(), itemStatus));
                if (target.starts_with("/aweme/v1/play/") && playRedirects)
                    return HttpReply("HTTP/1.1 302 Found", "",
                                     {"Location: " + server->base() + "/v/video.mp4"});
                return HttpReply("HTTP/1.1 200 OK", "body is ignored");
            });
        ASSERT_TRUE(SetServiceBase(server->base()));
    }
    void TearDown() override { SetServiceBase(""); }
    std::unique_ptr<LoopbackServer> server;
};

TEST_F(VideoItemTest, ReadsTheItemAndResolvesThePlayAddressOnTheWire) {
    Serve("0", true);
    VideoItem item;
    ASSERT_TRUE(FetchVideoItem("https://share.example/share/video/7301/?x=1", item));
    EXPECT_EQ(item.nickname, Local("小雪"));
    EXPECT_EQ(item.description, Local("雪人 #冬日"));
    EXPECT_EQ(item.avatarUrl, server->base() + "/a.jpg");
    EXPECT_EQ(item.coverUrl, server->base() + "/c.jpg");
    EXPECT_EQ(item.durationSeconds, "15");
    EXPECT_EQ(item.likeCount, "25000");
    EXPECT_EQ(item.commentCount, "10000");
    EXPECT_EQ(item.createTime, "1703131200");
    EXPECT_EQ(item.awemeId, "7301");
    EXPECT_EQ(item.authorUid, "58246913570");
    EXPECT_EQ(item.playAddress, server->base() + "/v/video.mp4");

    // The item GET, then the play POST with "playwm" turned into "play"
    // everywhere, the mobile agent, and the redirect not followed.
    const std::vector<std::string> requests = server->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(
        requests[0].starts_with("GET /web/api/v2/aweme/iteminfo/?item_ids=7301 HTTP/1.1\r\n"))
        << requests[0];
    EXPECT_TRUE(requests[1].starts_with("POST /aweme/v1/play/?video_id=v02&play=1 HTTP/1.1\r\n"))
        << requests[1];
    int agents = 0;
    for (const std::string& line : RequestHeaderLines(requests[1])) {
        if (line.size() < 11 || strncasecmp(line.c_str(), "user-agent:", 11) != 0) continue;
        ++agents;
        EXPECT_EQ(line.substr(11), std::string(PLAY_AGENT_HEADER).substr(11));
    }
    EXPECT_EQ(agents, 1);
}

TEST_F(VideoItemTest, AStatusOtherThanZeroOrNoJsonLeavesTheItemAlone) {
    Serve("8", true);
    VideoItem item;
    item.nickname = "before";
    EXPECT_FALSE(FetchVideoItem("https://s/share/video/1/", item));
    EXPECT_EQ(item.nickname, "before");
    EXPECT_EQ(server->requests().size(), 1u);  // no play request

    server = std::make_unique<LoopbackServer>(
        [](const std::string&) { return HttpReply("HTTP/1.1 200 OK", "<html>busy</html>"); });
    ASSERT_TRUE(SetServiceBase(server->base()));
    EXPECT_FALSE(FetchVideoItem("https://s/share/video/1/", item));
    EXPECT_EQ(item.nickname, "before");
}

TEST_F(VideoItemTest, APlayAnswerWithoutLocationGivesNoAddressAndAnEmptyIdIsSentEmpty) {
    Serve("0", false);
    VideoItem item;
    ASSERT_TRUE(FetchVideoItem("https://s/share/note/1", item));
    EXPECT_EQ(item.playAddress, "");
    EXPECT_EQ(item.nickname, Local("小雪"));
    EXPECT_EQ(RequestTarget(server->requests()[0]), "/web/api/v2/aweme/iteminfo/?item_ids=");
}

TEST(AuthorProfileTest, BlankFieldsGetTheirStandInsAndAnAnswerWithoutUserGivesNothing) {
    std::string answer =
        "{\"user_info\":{\"uid\":\"5\",\"nickname\":\"\",\"unique_id\":\"\",\"signature\":\"\","
        "\"custom_verify\":\"\",\"aweme_count\":218,\"follower_count\":86012,"
        "\"avatar_larger\":{\"url_list\":[\"http://x/a.jpg\"]}}}";
    LoopbackServer server(
        [&answer](const std::string&) { return HttpReply("HTTP/1.1 200 OK", answer); });
    ASSERT_TRUE(SetServiceBase(server.base()));
    std::optional<AuthorProfile> profile = FetchAuthorProfile("5");
    ASSERT_TRUE(profile);
    EXPECT_EQ(RequestTarget(server.lastRequest()), "/web/api/v2/user/info/?uid=5");
    EXPECT_EQ(profile->nickname, Local("空白昵称"));
    EXPECT_EQ(profile->uniqueId, Local("未设置"));
    EXPECT_EQ(profile->signature, Local("无个性签名"));
    EXPECT_EQ(profile->customVerify, Local("未认证"));
    EXPECT_EQ(profile->followerCount, "86012");
    EXPECT_EQ(profile->avatarUrl, "http://x/a.jpg");
    EXPECT_NE(AuthorProfileText(*profile).find(Local("粉丝：86012")), std::string::npos);

    answer = "{\"status_code\":2}";
    EXPECT_FALSE(FetchAuthorProfile("5"));
    SetServiceBase("");
}

std::tm At(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(DownloadNameTest, TheTimeOfDayShrinksWithItsZeros) {
    EXPECT_EQ(DownloadFileName(At(2022, 3, 5, 14, 7, 9), "7301"), "2022年3月5日14时7分9秒7301.mp4");
    EXPECT_EQ(DownloadFileName(At(2022, 3, 5, 14, 7, 0), "7301"), "2022年3月5日14时7分7301.mp4");
    EXPECT_EQ(DownloadFileName(At(2022, 3, 5, 14, 0, 0), "7301"), "2022年3月5日14时7301.mp4");
    EXPECT_EQ(DownloadFileName(At(2022, 12, 31, 0, 0, 0), "7301"), "2022年12月31日7301.mp4");
    // An id is digits only: nothing else of it reaches the name.
    EXPECT_EQ(DownloadFileName(At(2022, 3, 5, 0, 0, 0), "../../7a3/b\\1"), "2022年3月5日731.mp4");
    // Both ends of the digits are kept; the characters just beside them are not.
    EXPECT_EQ(DownloadFileName(At(2022, 3, 5, 0, 0, 0), "0/9:5"), "2022年3月5日095.mp4");
}

class DownloadTest : public ::testing::Test {
  protected:
    DownloadOutcome Download(Reply reply, std::string_view id = "7301") {
        LoopbackServer server([reply](const std::string&) { return reply; });
        return DownloadVideo(server.base() + "/v.mp4", id, folder(), At(2022, 3, 5, 14, 7, 0));
    }
    std::filesystem::path folder() const { return temp.path() / "vantrel" / "抖音视频"; }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder()))
            names.push_back(entry.path().filename().string());
        return names;
    }
    testing::TempFolder temp;
};

TEST_F(DownloadTest, SavesTheServedBytesUnderTheStampedName) {
    std::string video(300 * 1024, '\0');
    for (size_t i = 0; i < video.size(); ++i)
        video[i] = static_cast<char>((i * 131) ^ (i >> 8));
    EXPECT_EQ(Download(HttpReply("HTTP/1.1 200 OK", video), "../7301"), DownloadOutcome::kSaved);
    ASSERT_EQ(Files(), std::vector<std::string>{"2022年3月5日14时7分7301.mp4"});
    EXPECT_EQ(testing::ReadFile(folder() / Files()[0]) == video, true);
}

TEST_F(DownloadTest, AnEmptyBodyOrAnErrorStatusIsAFailureAndLeavesNoFile) {
    EXPECT_EQ(Download(HttpReply("HTTP/1.1 200 OK", "")), DownloadOutcome::kFailed);
    EXPECT_EQ(Download(HttpReply("HTTP/1.1 404 Not Found", "no such video")),
              DownloadOutcome::kFailed);
    // A body that breaks off half way is no video either.
    Reply cut{"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n", 5000};
    cut.end = Reply::End::kReset;
    EXPECT_EQ(Download(cut), DownloadOutcome::kFailed);
    EXPECT_TRUE(Files().empty());
}

TEST_F(DownloadTest, NoAddressStillMakesTheFolder) {
    EXPECT_EQ(DownloadVideo("", "1", folder(), At(2022, 3, 5, 1, 2, 3)),
              DownloadOutcome::kNoAddress);
    EXPECT_TRUE(std::filesystem::is_directory(folder()));
    EXPECT_TRUE(Files().empty());
}

TEST(VideoFolderTest, FollowsXdgDataHomeElseHome) {
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const std::string xdg = savedXdg ? savedXdg : "";
    setenv("XDG_DATA_HOME", "/data/x", 1);
    EXPECT_EQ(VideoFolder(), std::filesystem::path("/data/x/vantrel/抖音视频"));
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(VideoFolder(),
              std::filesystem::path(std::getenv("HOME")) / ".local/share/vantrel/抖音视频");
    if (savedXdg) setenv("XDG_DATA_HOME", xdg.c_str(), 1);
}

}  // namespace
}  // namespace vantrel
