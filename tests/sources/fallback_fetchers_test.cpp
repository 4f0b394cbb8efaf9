#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "app/source_health.h"
#include "net/code_page.h"
#include "net/curl_transport.h"
#include "source_sample.h"
#include "sources/list_fetchers.h"
#include "sources/list_readers.h"
#include "sources/service_answer.h"
#include "sources/service_hosts.h"
#include "support/loopback_server.h"

namespace vantrel {
namespace {

using test::HttpReply;
using test::LoopbackServer;
using test::Reply;

std::string Sample(const std::string& name) {
    return test::SourceSample(name);
}

std::string Path(const std::string& request) {
    const std::string target = test::RequestTarget(request);
    return target.substr(0, target.find('?'));
}

std::string Header(const std::string& request, const std::string& name) {
    for (const std::string& line : test::RequestHeaderLines(request))
        if (line.rfind(name + ": ", 0) == 0) return line.substr(name.size() + 2);
    return {};
}

Reply Json(const std::string& body) {
    return HttpReply("HTTP/1.1 200 OK", body, {"Content-Type: application/json"});
}

Reply Missing() {
    return HttpReply("HTTP/1.1 404 Not Found", "not found");
}

// One shape per path; any other path is a 404.
class FallbackTest : public ::testing::Test {
  protected:
    void Serve(std::map<std::string, Reply> routes) {
        server = std::make_unique<LoopbackServer>([routes](const std::string& request) {
            auto found = routes.find(Path(request));
            return found == routes.end() ? Missing() : found->second;
        });
        ASSERT_TRUE(SetServiceBase(server->base()));
    }
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (const std::string& request : server->requests())
            paths.push_back(Path(request));
        return paths;
    }
    std::string RequestTo(const std::string& path) const {
        for (const std::string& request : server->requests())
            if (Path(request) == path) return request;
        return {};
    }
    void TearDown() override {
        SetServiceBase("");
        SetBlockingTimeoutSeconds(30);
    }
    std::unique_ptr<LoopbackServer> server;
};

std::vector<std::string> Titles(const FetchResult& result) {
    std::vector<std::string> titles;
    for (const ListEntry& entry : result.entries)
        titles.push_back(ToUtf8(entry.title));
    return titles;
}

std::string Health(SourceId source, const FetchResult& result) {
    SourceHealth health;
    RecordFetch(health, result, std::chrono::system_clock::now());
    return ToUtf8(HealthText(source, health));
}

TEST_F(FallbackTest, TheDocumentedAnswerWinsAndNothingElseIsAsked) {
    Serve({{"/2/guest/page", Json(Sample("weibo_hot.json"))},
           {"/ajax/side/hotSearch", Json(Sample("weibo_side_hot.json"))},
           {"/aweme/v1/creator/data/billboard/", Json(Sample("douyin_billboard.json"))},
           {"/aweme/v1/hot/search/list/", Json(Sample("douyin_word_list.json"))}});
    FetchResult weibo = FetchWeibo();
    EXPECT_EQ(weibo.answeredBy, 0);
    EXPECT_EQ(weibo.entries.size(), 50u);
    FetchResult douyin = FetchDouyin();
    EXPECT_EQ(douyin.answeredBy, 0);
    EXPECT_FALSE(douyin.entries[1].links.empty());
    EXPECT_EQ(Paths(),
              (std::vector<std::string>{"/2/guest/page", "/aweme/v1/creator/data/billboard/"}));
    EXPECT_EQ(Health(SourceId::kWeibo, weibo).rfind("微博 · 主接口 · ", 0), 0u);
}

TEST_F(FallbackTest, WeiboSideBarAfterA404WithItsCookiesAndTagsAndNoAdvertisement) {
    Serve({{"/", HttpReply("HTTP/1.1 200 OK", "<html></html>",
                           {"Set-Cookie: SUB=_2AkMvisitor; Path=/; HttpOnly",
                            "Set-Cookie: SUBP=0033Wr; Path=/"})},
           {"/ajax/side/hotSearch", Json(Sample("weibo_side_hot.json"))}});
    FetchResult result = FetchWeibo();
    ASSERT_EQ(result.answeredBy, 1);
    EXPECT_EQ(result.rankBase, 0);
    ASSERT_EQ(result.entries.size(), 50u);  // the advertisement is no row
    const std::vector<std::string> titles = Titles(result);
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "推广：冬季新品上市"), 0);
    EXPECT_EQ(result.entries[0].tag, "hot");
    EXPECT_EQ(result.entries[1].tag, "new");
    EXPECT_EQ(result.entries[2].tag, "");
    EXPECT_EQ(result.entries[3].tag, "boom");
    EXPECT_EQ(result.entries[4].tag, "fei");
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].failure, FetchFailure::kHttpStatus);
    EXPECT_EQ(result.failures[0].httpStatus, 404);

    const std::string request = RequestTo("/ajax/side/hotSearch");
    EXPECT_EQ(Header(request, "Referer"), "https://weibo.com/");
    EXPECT_EQ(Header(request, "Cookie"), "SUB=_2AkMvisitor; SUBP=0033Wr");
    EXPECT_NE(Header(request, "User-Agent").find("Mozilla/5.0 (X11"), std::string::npos);

    const std::string health = Health(SourceId::kWeibo, result);
    EXPECT_EQ(health.rfind("微博 · 备用接口1 · ", 0), 0u) << health;
    EXPECT_NE(health.find("\n上次失败：HTTP 404 · 主接口 · "), std::string::npos) << health;
}

// The side bar marks advertisements in several ways; an unmarked row is kept
// whichever way it says so.
// Retry-After as services send it: seconds, in any case of the name, with
// or without blanks, capped at a day; a date or another header is no wait.
TEST(RetryAfter, SecondsFromTheHeaderLine) {
    const std::pair<const char*, int> cases[] = {
        {"HTTP/1.1 503 Busy\r\nRetry-After: 45\r\nX: 1\r\n", 45},
        {"retry-after:1090", 1090},
        {"RETRY-AFTER: \t 7\r\n", 7},
        {"Retry-After: 86401", 86400},
        {"Retry-After: 99999999999999999999", 86400},
        {"Retry-After: Wed, 21 Oct 2015 07:28:00 GMT", 0},
        {"X-Retry-After: 9\r\n", 0},
        {"Retry-After", 0},
        {"Retry-After:", 0},
        {"", 0},
    };
    for (const auto& [headers, seconds] : cases)
        EXPECT_EQ(RetryAfterSeconds(headers), seconds) << headers;
}

TEST(WeiboSideBarRows, OnlyRowsMarkedAsAdvertisementsAreLeftOut) {
    const std::string answer = R"({"data":{"realtime":[
        {"word":"no flag"}, {"word":"false","is_ad":false}, {"word":"zero","is_ad":0},
        {"word":"zero text","is_ad":"0"}, {"word":"empty","is_ad":""},
        {"word":"true","is_ad":true}, {"word":"one","is_ad":1}, {"word":"two","is_ad":2}]}})";
    std::vector<ListEntry> entries;
    ASSERT_TRUE(ReadWeiboSideHot(answer, entries));
    std::vector<std::string> titles;
    for (const ListEntry& entry : entries)
        titles.push_back(entry.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"no flag", "false", "zero", "zero text", "empty"}));
}

TEST_F(FallbackTest, WeiboMobileContainerAfterHtmlAndTooFewEntries) {
    std::string few = "{\"data\":{\"realtime\":[{\"word\":\"a\"},{\"word\":\"b\"}]}}";
    Serve({{"/2/guest/page", HttpReply("HTTP/1.1 200 OK", "<html>moved</html>")},
           {"/ajax/side/hotSearch", Json(few)},
           {"/api/container/getIndex", Json(Sample("weibo_hot.json"))}});
    FetchResult result = FetchWeibo();
    ASSERT_EQ(result.answeredBy, 2);
    EXPECT_EQ(result.entries.size(), 50u);
    EXPECT_EQ(result.entries[1].tag, "boom");
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_EQ(result.failures[0].failure, FetchFailure::kUnreadable);
    EXPECT_EQ(result.failures[1].failure, FetchFailure::kTooFew);
    const std::string request = RequestTo("/api/container/getIndex");
    EXPECT_EQ(test::RequestTarget(request),
              "/api/container/getIndex?containerid=106003type%3D25%26t%3D3%26disable_hot%3D1%26"
              "filter_type%3Drealtimehot");
    EXPECT_EQ(Header(request, "MWeibo-Pwa"), "1");
    EXPECT_EQ(Header(request, "X-Requested-With"), "XMLHttpRequest");
    EXPECT_EQ(Health(SourceId::kWeibo, result).find("上次失败：条目过少 · 备用接口1"),
              Health(SourceId::kWeibo, result).find("上次失败："));
}

TEST_F(FallbackTest, DouyinWebListSendsExactlyTheBootstrapCookiesAndRowsOpenHotPages) {
    Serve({{"/", HttpReply("HTTP/1.1 200 OK", "",
                           {"Set-Cookie: ttwid=1%7Cabc; Path=/; Domain=douyin.com; HttpOnly",
                            "Set-Cookie: __ac_nonce=0657; Path=/"})},
           {"/aweme/v1/web/hot/search/list/", Json(Sample("douyin_word_list.json"))}});
    FetchResult result = FetchDouyin();
    ASSERT_EQ(result.answeredBy, 1);
    EXPECT_EQ(result.rankBase, 1);
    ASSERT_EQ(result.entries.size(), 50u);
    EXPECT_EQ(ToUtf8(result.entries[0].title), "雪地里的冬日vlog");
    EXPECT_TRUE(result.entries[0].links.empty());
    EXPECT_EQ(result.entries[0].page, server->base() + "/hot/2100000");
    const std::string request = RequestTo("/aweme/v1/web/hot/search/list/");
    EXPECT_EQ(test::RequestTarget(request),
              "/aweme/v1/web/hot/search/list/"
              "?device_platform=webapp&aid=6383&channel=channel_pc_web&detail_list=1");
    EXPECT_EQ(Header(request, "Cookie"), "ttwid=1%7Cabc; __ac_nonce=0657");
}

TEST_F(FallbackTest, DouyinLiteListAfterATimeOut) {
    SetBlockingTimeoutSeconds(1);
    Reply hang;
    hang.silent = true;
    hang.end = Reply::End::kHang;
    std::string words = Sample("douyin_word_list.json");
    Serve({{"/aweme/v1/creator/data/billboard/", HttpReply("HTTP/1.1 500 Oops", "{}")},
           {"/aweme/v1/web/hot/search/list/", hang},
           {"/aweme/v1/hot/search/list/", Json(words)}});
    FetchResult result = FetchDouyin();
    ASSERT_EQ(result.answeredBy, 2);
    EXPECT_EQ(result.entries.size(), 50u);
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_EQ(result.failures[0].httpStatus, 500);
    EXPECT_EQ(result.failures[1].failure, FetchFailure::kTimeout);
    EXPECT_EQ(Header(RequestTo("/aweme/v1/hot/search/list/"), "Cookie"), "");
    EXPECT_NE(Health(SourceId::kDouyin, result).find("上次失败：超时 · 备用接口1"),
              std::string::npos);
}

TEST_F(FallbackTest, ABusyServiceSaysWhenToComeBack) {
    Serve({{"/board",
            HttpReply("HTTP/1.1 429 Too Many Requests", "slow down", {"retry-after:  120"})},
           {"/api/suggest_words/", HttpReply("HTTP/1.1 503 Busy", "", {"Retry-After: 45"})},
           {"/hot-event/hot-board/", HttpReply("HTTP/1.1 500 Oops", "", {"Retry-After: 45"})}});
    const FetchResult baidu = FetchBaidu();
    ASSERT_EQ(baidu.failures.size(), 1u);
    EXPECT_EQ(baidu.failures[0].httpStatus, 429);
    EXPECT_EQ(baidu.failures[0].retryAfterSeconds, 120);
    const FetchResult toutiao = FetchToutiao();
    ASSERT_EQ(toutiao.failures.size(), 2u);
    EXPECT_EQ(toutiao.failures[0].retryAfterSeconds, 45);
    EXPECT_EQ(toutiao.failures[1].retryAfterSeconds, 0);  // only 429 and 503 ask to wait
}

TEST_F(FallbackTest, ToutiaoHotBoardRowsOpenTheirTrendingPage) {
    Serve({{"/api/suggest_words/", HttpReply("HTTP/1.1 200 OK", "<html>no words</html>")},
           {"/hot-event/hot-board/", Json(Sample("toutiao_hot_board.json"))}});
    FetchResult result = FetchToutiao();
    ASSERT_EQ(result.answeredBy, 1);
    EXPECT_EQ(result.rankBase, 1);
    ASSERT_EQ(result.entries.size(), 10u);
    EXPECT_EQ(ToUtf8(result.entries[2].title), "新能源车 冬季续航");
    EXPECT_EQ(result.entries[2].page, server->base() + "/trending/7320000000000000002/");
}

TEST_F(FallbackTest, BaiduReadsEachKnownShapeIntoTheSameRows) {
    Serve({{"/board", HttpReply("HTTP/1.1 200 OK", Sample("baidu_board.html"))}});
    const FetchResult documented = FetchBaidu();
    ASSERT_EQ(documented.entries.size(), 30u);
    for (const char* shape : {"baidu_board_nested.html", "baidu_board_top.html"}) {
        Serve({{"/board", HttpReply("HTTP/1.1 200 OK", Sample(shape))}});
        const FetchResult result = FetchBaidu();
        ASSERT_EQ(result.entries.size(), documented.entries.size()) << shape;
        for (std::size_t k = 0; k < result.entries.size(); ++k) {
            EXPECT_EQ(result.entries[k].title, documented.entries[k].title);
            EXPECT_EQ(result.entries[k].tag, documented.entries[k].tag);
            EXPECT_EQ(result.entries[k].description, documented.entries[k].description);
        }
    }
}

TEST_F(FallbackTest, WhenEveryRequestFailsTheListIsEmptyAndTheFetchFailed) {
    Serve({});
    FetchResult result = FetchWeibo();
    EXPECT_TRUE(result.entries.empty());
    EXPECT_EQ(result.answeredBy, -1);
    EXPECT_EQ(result.failures.size(), 3u);
    AppState state;
    state.currentSource = SourceId::kWeibo;
    state.lastUpdate = std::chrono::system_clock::now();
    RecordFetch(state.health[0], result, state.lastUpdate);
    EXPECT_EQ(ToUtf8(StatusLabelText(state, state.lastUpdate)), "加载失败");
    EXPECT_EQ(ToUtf8(HealthText(SourceId::kWeibo, state.health[0]))
                  .rfind("微博 · 尚无列表\n上次失败：HTTP 404 · 备用接口2", 0),
              0u);
    state.fetching = true;
    EXPECT_EQ(ToUtf8(StatusLabelText(state, state.lastUpdate)), "正在加载…");
}

}  // namespace
}  // namespace vantrel
