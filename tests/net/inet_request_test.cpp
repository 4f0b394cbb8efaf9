#include "net/inet_request.h"

#include <gtest/gtest.h>

#include "net/curl_transport.h"
#include "support/loopback_server.h"

namespace vantrel {
namespace {

using test::HttpReply;
using test::LoopbackServer;
using test::RequestBody;
using test::RequestHeaderLines;

const std::string kAgentLine = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

class InetRequestTest : public ::testing::Test {
  protected:
    // Cookies kept by earlier calls would show up in exact request bytes.
    void SetUp() override { ClearSharedCookies(); }

    LoopbackServer server{[](const std::string&) {
        return HttpReply("HTTP/1.1 200 OK", "body", {"Set-Cookie: s=1; Path=/"});
    }};
    std::string Host() const { return "Host: 127.0.0.1:" + std::to_string(server.port()); }
};

TEST_F(InetRequestTest, UrlOnlySendsTheDefaultLinesWithoutAFinalBreak) {
    const std::string url = server.base() + "/list?x=1";
    std::string headers;
    EXPECT_EQ(InetRequest({.url = url, .responseHeaders = &headers}), "body");
    EXPECT_EQ(server.lastRequest(), "GET /list?x=1 HTTP/1.1\r\n" + Host() + "\r\n" + kAgentLine +
                                        "\r\nAccept: */*\r\nReferer: " + url +
                                        "\r\nAccept-Language: zh-cn\r\n\r\n");
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\nSet-Cookie: s=1; Path=/\r\n"));
    EXPECT_TRUE(headers.ends_with("\r\n\r\n"));
}

TEST_F(InetRequestTest, CallerAgentAndAcceptReplaceTheDefaults) {
    InetRequest({.url = server.base() + "/", .extraHeaders = "user-agent: X\r\nAccept: y"});
    EXPECT_EQ(
        RequestHeaderLines(server.lastRequest()),
        (std::vector<std::string>{Host(), "User-Agent: X", "Accept: y",
                                  "Referer: " + server.base() + "/", "Accept-Language: zh-cn"}));
    ClearSharedCookies();
    InetRequest({.url = server.base() + "/",
                 .extraHeaders = "x-a: 1",
                 .defaultHeaders = false,
                 .normalizeHeaderNames = false});
    EXPECT_EQ(RequestHeaderLines(server.lastRequest()),
              (std::vector<std::string>{Host(), kAgentLine, "x-a: 1"}));
}

TEST_F(InetRequestTest, BodiesForEveryVerbButGet) {
    std::string postBytes;
    InetRequest(
        {.url = server.base() + "/f", .method = 1, .postText = "a=1", .postBytes = &postBytes});
    std::string request = server.lastRequest();
    EXPECT_TRUE(request.starts_with("POST /f HTTP/1.1\r\n"));
    EXPECT_EQ(RequestBody(request), "a=1");
    EXPECT_EQ(postBytes, "a=1");  // the caller's variable keeps the filled body
    auto lines = RequestHeaderLines(request);
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "Content-Type: application/x-www-form-urlencoded"),
        lines.end());

    postBytes = "raw";
    InetRequest(
        {.url = server.base() + "/p", .method = 3, .postText = "no", .postBytes = &postBytes});
    EXPECT_TRUE(server.lastRequest().starts_with("PUT /p HTTP/1.1\r\n"));
    EXPECT_EQ(RequestBody(server.lastRequest()), "raw");

    // GET sends no body, whatever the caller gave; out-of-range methods are GET.
    InetRequest({.url = server.base() + "/g", .method = 8, .postText = "unsent"});
    EXPECT_TRUE(server.lastRequest().starts_with("GET /g HTTP/1.1\r\n"));
    EXPECT_EQ(RequestBody(server.lastRequest()), "");
    EXPECT_EQ(InetRequest({.url = server.base() + "/h", .method = 2}), "");
    EXPECT_TRUE(server.lastRequest().starts_with("HEAD /h HTTP/1.1\r\n"));
}

TEST_F(InetRequestTest, SuppliedCookiesReplaceTheSharedStore) {
    // Not supplied: the shared store keeps the answer's cookie for the next call.
    std::string returned;
    InetRequest({.url = server.base() + "/", .returnedCookies = &returned});
    EXPECT_EQ(returned, "s=1");
    InetRequest({.url = server.base() + "/"});
    auto lines = RequestHeaderLines(server.lastRequest());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Cookie: s=1"), lines.end());

    // Supplied, even empty: the store is left out, and the merge still runs.
    std::string cookies;
    InetRequest({.url = server.base() + "/", .cookies = &cookies, .returnedCookies = &returned});
    EXPECT_EQ(server.lastRequest().find("Cookie"), std::string::npos);
    EXPECT_EQ(returned, "s=1");
    EXPECT_EQ(cookies, "s=1");

    cookies = "s=0; t=2";
    InetRequest({.url = server.base() + "/", .cookies = &cookies, .returnedCookies = &returned});
    EXPECT_EQ(RequestHeaderLines(server.lastRequest()).back(), "Cookie: s=0; t=2");
    EXPECT_EQ(returned, "s=1; t=2");
    EXPECT_EQ(cookies, "s=1; t=2");
}

TEST_F(InetRequestTest, HeaderBlockTooLongForTheBufferGivesBlanksAndNoCookies) {
    LoopbackServer big([](const std::string&) {
        return HttpReply("HTTP/1.1 200 OK", "ok",
                         {"Set-Cookie: s=1", "X-Pad: " + std::string(5000, 'p')});
    });
    std::string headers, returned = "old";
    EXPECT_EQ(
        InetRequest(
            {.url = big.base() + "/", .returnedCookies = &returned, .responseHeaders = &headers}),
        "ok");
    EXPECT_EQ(headers, std::string(5000, ' '));
    EXPECT_EQ(returned, "");
}

TEST_F(InetRequestTest, RedirectsFollowedOrNot) {
    LoopbackServer moved([](const std::string& request) {
        if (test::RequestTarget(request) == "/old")
            return HttpReply("HTTP/1.1 301 Moved Permanently", "gone", {"Location: /new"});
        return HttpReply("HTTP/1.1 200 OK", "new");
    });
    EXPECT_EQ(InetRequest({.url = moved.base() + "/old"}), "new");
    std::string headers;
    EXPECT_EQ(InetRequest(
                  {.url = moved.base() + "/old", .responseHeaders = &headers, .noRedirect = true}),
              "gone");
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 301 Moved Permanently\r\nLocation: /new\r\n"));
}

TEST_F(InetRequestTest, HeaderLinesEndingInABareLineFeed) {
    LoopbackServer bare([](const std::string&) {
        test::Reply reply;
        reply.bytes = "HTTP/1.1 200 OK\nSet-Cookie: a=1; path=/\nConnection: close\n\nbody";
        return reply;
    });
    std::string headers, returned;
    EXPECT_EQ(
        InetRequest(
            {.url = bare.base() + "/", .returnedCookies = &returned, .responseHeaders = &headers}),
        "body");
    EXPECT_EQ(headers, "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(returned, "a=1");
}

TEST_F(InetRequestTest, AHeaderValueEndingInAHighByteEndsItsLine) {
    LoopbackServer odd([](const std::string&) {
        return HttpReply("HTTP/1.1 200 OK", "ok", {"X-Odd: \x95", "Set-Cookie: a=1"});
    });
    std::string returned;
    InetRequest({.url = odd.base() + "/", .returnedCookies = &returned});
    EXPECT_EQ(returned, "a=1");
}

TEST_F(InetRequestTest, ALineBreakInsideACallerTextStartsNoHeader) {
    std::string cookies = "a=1\r\nX-Injected: 1";
    InetRequest({.url = server.base() + "/",
                 .cookies = &cookies,
                 .extraHeaders = "X-A: 1\nX-Injected: 2\r\nUser-Agent: U\rX-Injected: 3",
                 .mergeCookies = false,
                 .defaultHeaders = false});
    EXPECT_EQ(RequestHeaderLines(server.lastRequest()),
              (std::vector<std::string>{Host(), "X-A: 1", "User-Agent: U", "Cookie: a=1"}));
}

TEST_F(InetRequestTest, ProxyGetsTheAbsoluteAddress) {
    EXPECT_EQ(InetRequest({.url = "http://vantrel-origin.invalid/a?b=1",
                           .proxy = "127.0.0.1:" + std::to_string(server.port())}),
              "body");
    EXPECT_TRUE(
        server.lastRequest().starts_with("GET http://vantrel-origin.invalid/a?b=1 HTTP/1.1\r\n"))
        << server.lastRequest();
}

// A caller reusing its variables finds nothing of an earlier answer in them.
TEST_F(InetRequestTest, NoAnswerGivesNothingAndResetsTheOutputs) {
    std::string headers, returned;
    InetRequest(
        {.url = server.base() + "/", .returnedCookies = &returned, .responseHeaders = &headers});
    ASSERT_EQ(returned, "s=1");
    const std::string refused = "http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/";
    EXPECT_EQ(
        InetRequest({.url = refused, .returnedCookies = &returned, .responseHeaders = &headers}),
        "");
    EXPECT_EQ(headers, "");
    EXPECT_EQ(returned, "");
    // Supplied cookies are still merged into the returned ones.
    std::string cookies = "a=1";
    InetRequest({.url = refused, .cookies = &cookies, .returnedCookies = &returned});
    EXPECT_EQ(returned, "a=1");

    SetBlockingTimeoutSeconds(1);
    LoopbackServer silent([](const std::string&) {
        test::Reply reply;
        reply.silent = true;
        reply.end = test::Reply::End::kHang;
        return reply;
    });
    headers = "old";
    EXPECT_EQ(InetRequest({.url = silent.base() + "/", .responseHeaders = &headers}), "");
    SetBlockingTimeoutSeconds(30);
    EXPECT_EQ(headers, "");
}

}  // namespace
}  // namespace vantrel
