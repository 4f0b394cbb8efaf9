#include "sources/demo/demo_server.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <string>

#include "sources/loopback_http_server.h"

namespace vantrel {
namespace {

struct Answer {
    long status = 0;
    std::string body;
    std::string headers;
};

size_t Append(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// libcurl as an independent client of the server. A method other than GET
// and POST goes as given, HEAD without a body.
Answer Fetch(const std::string& url, const char* range = nullptr, bool post = false,
             const std::string* postBody = nullptr, const char* method = nullptr) {
    Answer answer;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, Append);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answer.headers);
    if (range) curl_easy_setopt(curl, CURLOPT_RANGE, range);
    if (method) curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method);
    if (method && std::string_view(method) == "HEAD") curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    if (post) curl_easy_setopt(curl, CURLOPT_POSTFIELDS, "");
    curl_slist* type = curl_slist_append(nullptr, "Content-Type: application/octet-stream");
    if (postBody) {
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, type);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, postBody->data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(postBody->size()));
    }
    if (curl_easy_perform(curl) == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
    curl_easy_cleanup(curl);
    curl_slist_free_all(type);
    return answer;
}

// The server reads request bodies up to 16 MiB and refuses a larger one, so
// a local client cannot make it hold any amount of memory.
TEST(LoopbackHttpServerTest, ABodyOverSixteenMibIsRefused) {
    LoopbackHttpServer server([](const HttpServerRequest& request) {
        HttpServerResponse response;
        response.body = std::to_string(request.body.size());
        return response;
    });
    ASSERT_TRUE(server.Start());
    std::string body((std::size_t{16} << 20) - 1, 'x');
    const Answer whole = Fetch(server.Base() + "/", nullptr, false, &body);
    EXPECT_EQ(whole.status, 200);
    EXPECT_EQ(whole.body, std::to_string(body.size()));
    body.append(2, 'x');
    EXPECT_EQ(Fetch(server.Base() + "/", nullptr, false, &body).status, 413);
}

// Every method reaches the one handler, HEAD as GET without its body.
TEST(LoopbackHttpServerTest, EveryMethodReachesTheHandler) {
    LoopbackHttpServer server([](const HttpServerRequest& request) {
        HttpServerResponse response;
        response.body = request.method;
        return response;
    });
    ASSERT_TRUE(server.Start());
    for (const char* method : {"GET", "POST", "PUT", "PATCH", "DELETE", "OPTIONS", "HEAD"}) {
        // An empty body, declared, where the method has one.
        const bool body = std::string_view("POST PUT PATCH").find(method) != std::string_view::npos;
        const Answer answer = Fetch(server.Base() + "/x", nullptr, body, nullptr, method);
        EXPECT_EQ(answer.status, 200) << method;
        EXPECT_EQ(answer.body, std::string_view(method) == "HEAD" ? "" : method) << method;
    }
}

class DemoServerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.Start()); }
    DemoServer server;
};

TEST_F(DemoServerTest, ServesTheFourListsOnlyForTheExactQueries) {
    const std::string base = server.Base();
    Answer weibo = Fetch(base + "/2/guest/page?containerid=106003&filter_type=realtimehot");
    EXPECT_EQ(weibo.status, 200);
    EXPECT_NE(weibo.body.find("card_group"), std::string::npos);
    EXPECT_EQ(Fetch(base + "/2/guest/page?containerid=1").status, 404);
    // The lists are read, never posted to.
    EXPECT_EQ(
        Fetch(base + "/2/guest/page?containerid=106003&filter_type=realtimehot", nullptr, true)
            .status,
        405);
    Answer baidu = Fetch(base + "/board?tab=realtime");
    EXPECT_NE(baidu.body.find("--> <div class=\"bg-wrapper\">"), std::string::npos);
    EXPECT_NE(Fetch(base + "/api/suggest_words/?business_id=10017").body.find("word\":\""),
              std::string::npos);
    EXPECT_NE(
        Fetch(base + "/aweme/v1/creator/data/billboard/?billboard_type=1").body.find("extra_list"),
        std::string::npos);
}

TEST_F(DemoServerTest, LinksInsideAnswersPointBackAtTheServer) {
    const std::string base = server.Base();
    Answer item = Fetch(base + "/web/api/v2/aweme/iteminfo/?item_ids=7390000000000000019");
    EXPECT_NE(item.body.find("\"aweme_id\": \"7390000000000000019\""), std::string::npos);
    EXPECT_NE(item.body.find(base + "/aweme/v1/playwm/"), std::string::npos);
    EXPECT_EQ(item.body.find("@BASE@"), std::string::npos);
    EXPECT_NE(
        Fetch(base + "/web/api/v2/aweme/iteminfo/?item_ids=abc").body.find("\"status_code\":8"),
        std::string::npos);
    Answer play = Fetch(base + "/aweme/v1/play/?video_id=v0200fg10000demo", nullptr, true);
    EXPECT_EQ(play.status, 302);
    EXPECT_NE(play.headers.find("Location: " + base + "/demo/video.mp4\r\n"), std::string::npos);
    Answer search = Fetch(base + "/search/?keyword=%E6%98%A5&pd=synthesis");
    EXPECT_NE(search.body.find("url=http%3A%2F%2F127.0.0.1:"), std::string::npos) << search.body;
}

TEST_F(DemoServerTest, VideoAnswersRangeRequests) {
    const std::string url = server.Base() + "/demo/video.mp4";
    Answer whole = Fetch(url);
    ASSERT_EQ(whole.status, 200);
    ASSERT_GT(whole.body.size(), 1000u);
    Answer part = Fetch(url, "100-199");
    EXPECT_EQ(part.status, 206);
    EXPECT_EQ(part.body, whole.body.substr(100, 100));
    EXPECT_NE(
        part.headers.find("Content-Range: bytes 100-199/" + std::to_string(whole.body.size())),
        std::string::npos);
    EXPECT_EQ(Fetch(url, "-10").body, whole.body.substr(whole.body.size() - 10));
    EXPECT_EQ(Fetch(url, std::to_string(whole.body.size()).append("-").c_str()).status, 416);
}

TEST_F(DemoServerTest, BrowserLinksGetAnEscapedPage) {
    Answer page = Fetch(server.Base() + "/weibo/%3Cb%3E?x=<i>");
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.body.find("<i>"), std::string::npos);
    EXPECT_NE(page.body.find("&lt;i&gt;"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
