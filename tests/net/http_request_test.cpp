#include "net/http_request.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "net/code_page.h"
#include "net/curl_transport.h"
#include "net/pending_messages.h"
#include "sources/loopback_http_server.h"
#include "support/loopback_server.h"

namespace vantrel {
namespace {

using test::HttpReply;
using test::LoopbackServer;
using test::Reply;
using test::RequestBody;
using test::RequestHeaderLines;

const std::string kAgentLine =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)";

std::string Local(std::string_view utf8) {
    return Utf8ToLocal(utf8);
}

LoopbackServer OkServer(std::string body = "hello") {
    return LoopbackServer(
        [body](const std::string&) { return HttpReply("HTTP/1.1 200 OK", body); });
}

// Polls until done() holds, for at most 5 s; false when it never did.
template <typename Done>
bool WaitUntil(Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::string Host(const LoopbackServer& server) {
    return "Host: 127.0.0.1:" + std::to_string(server.port());
}

TEST(HttpRequest, UrlOnlySendsTheDefaultLinesAndReportsTheAnswer) {
    LoopbackServer server(
        [](const std::string&) { return HttpReply("HTTP/1.1 200 OK", "body text", {"X-Tag: 1"}); });
    std::string status, headers, bytes;
    std::string text = HttpRequest({.url = server.base() + "/p/q?x=1&y=%20",
                                    .responseHeaders = &headers,
                                    .statusText = &status,
                                    .responseBytes = &bytes});
    EXPECT_EQ(text, "body text");
    EXPECT_EQ(bytes, "body text");
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(headers,
              "HTTP/1.1 200 OK\r\nX-Tag: 1\r\nContent-Length: 9\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(server.lastRequest(), "GET /p/q?x=1&y=%20 HTTP/1.1\r\n" + Host(server) + "\r\n" +
                                        kAgentLine +
                                        "\r\n"
                                        "Accept: text/html, application/xhtml+xml, */*\r\n"
                                        "Accept-Encoding: identity\r\n"
                                        "Accept-Language: zh-cn\r\n"
                                        "Cache-Control: no-cache\r\n\r\n");
}

TEST(HttpRequest, CallerLinesSuppressDefaultsAndAreNormalised) {
    LoopbackServer server = OkServer();
    HttpRequest({.url = server.base() + "/", .extraHeaders = "user-agent: X\r\naccept:y"});
    // "accept:y" has no blank after the colon, so the default Accept line stays.
    auto lines = RequestHeaderLines(server.lastRequest());
    EXPECT_EQ(lines,
              (std::vector<std::string>{Host(server), "User-Agent: X", "Accept:y",
                                        "Accept: text/html, application/xhtml+xml, */*",
                                        "Accept-Encoding: identity", "Accept-Language: zh-cn",
                                        "Cache-Control: no-cache"}));

    HttpRequest({.url = server.base() + "/",
                 .extraHeaders = "x-a: 1\r\nno colon here",
                 .defaultHeaders = false,
                 .normalizeHeaderNames = false});
    EXPECT_EQ(RequestHeaderLines(server.lastRequest()),
              (std::vector<std::string>{Host(server), "x-a: 1"}));

    HttpRequest({.url = server.base() + "/", .extraHeaders = "X-Empty:", .defaultHeaders = false});
    EXPECT_EQ(RequestHeaderLines(server.lastRequest()),
              (std::vector<std::string>{Host(server), "X-Empty:"}));
}

TEST(HttpRequest, KeepAliveLineIsDroppedOtherConnectionLinesStay) {
    LoopbackServer server = OkServer();
    HttpRequest({.url = server.base() + "/",
                 .extraHeaders = "Connection: keep-alive\r\nX-After: 1",
                 .defaultHeaders = false});
    EXPECT_EQ(RequestHeaderLines(server.lastRequest()),
              (std::vector<std::string>{Host(server), "X-After: 1"}));
    HttpRequest({.url = server.base() + "/",
                 .extraHeaders = "Connection: close\r\nX-After: 1",
                 .defaultHeaders = false});
    EXPECT_EQ(RequestHeaderLines(server.lastRequest()),
              (std::vector<std::string>{Host(server), "Connection: close", "X-After: 1"}));
}

TEST(HttpRequest, VerbsAndBodies) {
    LoopbackServer server = OkServer();
    for (int method : {9, -1}) {
        HttpRequest({.url = server.base() + "/m", .method = method});
        EXPECT_TRUE(server.lastRequest().starts_with("GET /m HTTP/1.1\r\n")) << method;
    }

    std::string text =
        HttpRequest({.url = server.base() + "/form", .method = 1, .postText = "a=1"});
    EXPECT_EQ(text, "hello");
    std::string request = server.lastRequest();
    EXPECT_TRUE(request.starts_with("POST /form HTTP/1.1\r\n"));
    auto lines = RequestHeaderLines(request);
    EXPECT_EQ(
        std::count(lines.begin(), lines.end(), "Content-Type: application/x-www-form-urlencoded"),
        1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Content-Length: 3"), 1);
    EXPECT_EQ(RequestBody(request), "a=1");

    // postBytes wins; a caller's content type in any letter case replaces the default.
    HttpRequest({.url = server.base() + "/",
                 .method = 1,
                 .postText = "ignored",
                 .extraHeaders = "content-type:text/plain",
                 .postBytes = std::string("\x00\x01z", 3)});
    request = server.lastRequest();
    lines = RequestHeaderLines(request);
    EXPECT_EQ(RequestBody(request), std::string("\x00\x01z", 3));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Content-Type:text/plain"), lines.end());
    EXPECT_EQ(
        std::find(lines.begin(), lines.end(), "Content-Type: application/x-www-form-urlencoded"),
        lines.end());

    HttpRequest({.url = server.base() + "/put", .method = 3, .postText = "data"});
    request = server.lastRequest();
    EXPECT_TRUE(request.starts_with("PUT /put HTTP/1.1\r\n"));
    EXPECT_EQ(RequestBody(request), "data");
    lines = RequestHeaderLines(request);
    EXPECT_EQ(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.starts_with("Content-Type"); }),
              lines.end());

    std::string status;
    text = HttpRequest({.url = server.base() + "/h", .method = 2, .statusText = &status});
    EXPECT_TRUE(server.lastRequest().starts_with("HEAD /h HTTP/1.1\r\n"));
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(text, "");

    HttpRequest({.url = server.base() + "/d", .method = 5});
    EXPECT_TRUE(server.lastRequest().starts_with("DELETE /d HTTP/1.1\r\n"));
    EXPECT_EQ(RequestBody(server.lastRequest()), "");
}

TEST(HttpRequest, CookiesSentCollectedAndMerged) {
    LoopbackServer server([](const std::string&) {
        return HttpReply("HTTP/1.1 200 OK", "",
                         {"Set-Cookie: a=1; path=/", "set-cookie: z=9", "Set-Cookie: b=2"});
    });
    std::string returned = "stale";
    HttpRequest({.url = server.base() + "/", .returnedCookies = &returned});
    EXPECT_EQ(returned, "a=1; b=2");
    auto lines = RequestHeaderLines(server.lastRequest());
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.starts_with("Cookie"); }),
              0);

    std::string cookies = "a=0; c=3";
    HttpRequest({.url = server.base() + "/", .cookies = &cookies, .returnedCookies = &returned});
    EXPECT_EQ(RequestHeaderLines(server.lastRequest()).back(), "Cookie: a=0; c=3");
    EXPECT_EQ(returned, "a=1; b=2; c=3");
    EXPECT_EQ(cookies, "a=1; b=2; c=3");

    // Without the merge the caller's list stays; a Cookie line of the caller's own wins.
    cookies = "c=3";
    HttpRequest({.url = server.base() + "/",
                 .cookies = &cookies,
                 .returnedCookies = &returned,
                 .extraHeaders = "cookie: mine=1",
                 .mergeCookies = false});
    EXPECT_EQ(returned, "a=1; b=2");
    EXPECT_EQ(cookies, "c=3");
    lines = RequestHeaderLines(server.lastRequest());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Cookie: mine=1"), lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "Cookie: c=3"), lines.end());
}

TEST(HttpRequest, RedirectsFollowedOrReported) {
    LoopbackServer server([](const std::string& request) {
        if (test::RequestTarget(request) == "/start")
            return HttpReply("HTTP/1.1 302 Found", "moved", {"Location: /x", "Set-Cookie: r=1"});
        return HttpReply("HTTP/1.1 200 OK", "final", {"X-Final: yes"});
    });
    std::string status, headers, location = "before", cookies;
    std::string text = HttpRequest({.url = server.base() + "/start",
                                    .returnedCookies = &cookies,
                                    .responseHeaders = &headers,
                                    .location = &location,
                                    .statusText = &status});
    EXPECT_EQ(text, "final");
    EXPECT_EQ(status, "200 OK");
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\nX-Final: yes\r\n"));
    EXPECT_EQ(location, "before");  // the final answer has no Location line
    EXPECT_EQ(cookies, "");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(test::RequestTarget(server.requests()[1]), "/x");

    text = HttpRequest({.url = server.base() + "/start",
                        .returnedCookies = &cookies,
                        .noRedirect = true,
                        .location = &location,
                        .statusText = &status});
    EXPECT_EQ(text, "moved");
    EXPECT_EQ(status, "302 Found");
    EXPECT_EQ(location, "/x");
    EXPECT_EQ(cookies, "r=1");
    EXPECT_EQ(server.requests().size(), 3u);
}

TEST(HttpRequest, HeaderLinesEndingInABareLineFeed) {
    LoopbackServer server([](const std::string&) {
        Reply reply;
        reply.bytes =
            "HTTP/1.1 302 Found\nSet-Cookie: a=1; path=/\nLocation: /next\n"
            "Content-Length: 4\nConnection: close\n\nbody";
        return reply;
    });
    std::string status, location, cookies, headers;
    EXPECT_EQ(HttpRequest({.url = server.base() + "/",
                           .returnedCookies = &cookies,
                           .responseHeaders = &headers,
                           .noRedirect = true,
                           .location = &location,
                           .statusText = &status}),
              "body");
    EXPECT_EQ(status, "302 Found");
    EXPECT_EQ(location, "/next");
    EXPECT_EQ(cookies, "a=1");
    EXPECT_EQ(headers,
              "HTTP/1.1 302 Found\r\nSet-Cookie: a=1; path=/\r\nLocation: /next\r\n"
              "Content-Length: 4\r\nConnection: close\r\n\r\n");
}

// Header values are bytes: one that ends in a high byte (here UTF-8 中)
// still ends at its CR LF.
TEST(HttpRequest, AHeaderValueEndingInAHighByteEndsItsLine) {
    LoopbackServer server([](const std::string&) {
        return HttpReply(
            "HTTP/1.1 302 Found", "",
            {"X-Name: \xE4\xB8\xAD", "Location: /next", "X-Odd: \x95", "Set-Cookie: a=1"});
    });
    std::string location, cookies;
    HttpRequest({.url = server.base() + "/",
                 .returnedCookies = &cookies,
                 .noRedirect = true,
                 .location = &location});
    EXPECT_EQ(location, "/next");
    EXPECT_EQ(cookies, "a=1");
}

TEST(HttpRequest, ALineBreakInsideACallerTextStartsNoHeader) {
    LoopbackServer server = OkServer();
    std::string cookies = "a=1\r\nX-Injected: 1";
    HttpRequest({.url = server.base() + "/",
                 .cookies = &cookies,
                 .extraHeaders = "X-A: 1\nX-Injected: 2\r\nX-B: 2\rX-Injected: 3",
                 .mergeCookies = false,
                 .defaultHeaders = false});
    EXPECT_EQ(RequestHeaderLines(server.lastRequest()),
              (std::vector<std::string>{Host(server), "X-A: 1", "X-B: 2", "Cookie: a=1"}));
}

TEST(HttpRequest, ErrorStatusIsAnAnswerNotAFailure) {
    LoopbackServer server(
        [](const std::string&) { return HttpReply("HTTP/1.1 404 Not Found", "no such page"); });
    std::string status;
    EXPECT_EQ(HttpRequest({.url = server.base() + "/gone", .statusText = &status}), "no such page");
    EXPECT_EQ(status, "404 Not Found");
}

TEST(HttpRequest, DeclaredCharsetDecidesTheResultText) {
    std::string page;
    LoopbackServer server(
        [&page](const std::string&) { return HttpReply("HTTP/1.1 200 OK", page); });
    const std::string utf8 = "热搜";
    const std::string gbk = Local(utf8);

    page = "<html><meta charset=\"utf-8\"><p>" + utf8;
    std::string bytes;
    EXPECT_EQ(HttpRequest({.url = server.base(), .responseBytes = &bytes}),
              "<html><meta charset=\"utf-8\"><p>" + gbk);
    EXPECT_EQ(bytes, page);

    for (std::string name : {"gbk", "gb2312"}) {
        page = "<meta http-equiv=Content-Type content=\"text/html; charset=" + name + "\">" + gbk;
        EXPECT_EQ(HttpRequest({.url = server.base()}), page) << name;
    }
    // Every label of local text, in any letter case, keeps characters beyond
    // GBK (a four-byte emoji).
    const std::string grin = Local("\xF0\x9F\x98\x81");
    for (std::string name : {"GBK", "x-gbk", "GB18030", "Gb2312"}) {
        page = "<meta charset=" + name + ">" + gbk + grin;
        EXPECT_EQ(HttpRequest({.url = server.base()}), page) << name;
    }
    page = "\xEF\xBB\xBF<meta charset=UTF-8>" + utf8;  // the byte-order mark goes
    EXPECT_EQ(HttpRequest({.url = server.base()}), "<meta charset=UTF-8>" + gbk);
    page = "<meta charset=big5>\xA4\xA4";  // 中 in Big5
    EXPECT_EQ(HttpRequest({.url = server.base()}), "<meta charset=big5>" + Local("中"));
    page = "<meta charset=no-such-set>" + utf8;  // unknown to the decoder: bytes kept
    EXPECT_EQ(HttpRequest({.url = server.base()}), page);

    page = std::string(1020, ' ') + "<meta charset=utf-8>" + utf8;
    EXPECT_EQ(HttpRequest({.url = server.base()}), page);
}

TEST(HttpRequest, CredentialsAndProxy) {
    LoopbackServer server = OkServer();
    HttpRequest({.url = server.base() + "/", .userName = "user", .password = "pa:ss"});
    auto lines = RequestHeaderLines(server.lastRequest());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Authorization: Basic dXNlcjpwYTpzcw=="),
              lines.end());
    // Half a pair is no credentials.
    HttpRequest({.url = server.base() + "/", .userName = "user"});
    EXPECT_EQ(server.lastRequest().find("Authorization"), std::string::npos);

    // The proxy gets the absolute address; the host behind it is never looked up.
    std::string text = HttpRequest({.url = "http://vantrel-origin.invalid:81/a?b=1",
                                    .proxy = "127.0.0.1:" + std::to_string(server.port()),
                                    .proxyUser = "pu",
                                    .proxyPassword = "pp"});
    EXPECT_EQ(text, "hello");
    std::string request = server.lastRequest();
    EXPECT_TRUE(request.starts_with("GET http://vantrel-origin.invalid:81/a?b=1 HTTP/1.1\r\n"))
        << request;
    lines = RequestHeaderLines(request);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Proxy-Authorization: Basic cHU6cHA="),
              lines.end());
}

TEST(HttpRequest, SecureAddressThroughAProxyIsTunnelled) {
    LoopbackServer proxy(
        [](const std::string&) { return HttpReply("HTTP/1.1 403 Forbidden", "no tunnels"); });
    std::string status;
    EXPECT_EQ(HttpRequest({.url = "https://vantrel-origin.invalid/s",
                           .proxy = "127.0.0.1:" + std::to_string(proxy.port()),
                           .statusText = &status}),
              "");
    EXPECT_TRUE(proxy.lastRequest().starts_with("CONNECT vantrel-origin.invalid:443 HTTP/1.1\r\n"))
        << proxy.lastRequest();
    // The proxy's refusal is no answer of the origin: the request never reached it.
    EXPECT_EQ(status, Local("711 发送请求失败!"));
}

TEST(HttpRequest, FailuresGiveTheirTextAndAnEmptyResult) {
    std::string status, headers = "kept";
    EXPECT_EQ(HttpRequest({.url = "ftp://127.0.0.1/x", .statusText = &status}), "");
    EXPECT_EQ(status, Local("701 解析URL地址失败!"));
    EXPECT_EQ(HttpRequest({.url = "no address at all", .statusText = &status}), "");
    EXPECT_EQ(status, Local("701 解析URL地址失败!"));

    const std::string refused = "http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/";
    EXPECT_EQ(HttpRequest({.url = refused, .responseHeaders = &headers, .statusText = &status}),
              "");
    EXPECT_EQ(status, Local("711 发送请求失败!"));
    EXPECT_EQ(headers, "kept");

    // Accepts, reads the request, never answers: over after the time-out.
    LoopbackServer silent([](const std::string&) {
        Reply reply;
        reply.silent = true;
        reply.end = Reply::End::kHang;
        return reply;
    });
    EXPECT_EQ(HttpRequest({.url = silent.base() + "/", .timeoutSeconds = 1, .statusText = &status}),
              "");
    EXPECT_EQ(status, Local("712 服务器未响应!"));
}

TEST(HttpRequest, BrokenBodyKeepsWhatArrivedWithTheReadError) {
    LoopbackServer server([](const std::string& request) {
        Reply reply;
        reply.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\nSet-Cookie: s=1\r\n\r\npartial";
        reply.end =
            test::RequestTarget(request) == "/reset" ? Reply::End::kReset : Reply::End::kHang;
        return reply;
    });
    for (std::string target : {"/reset", "/stall"}) {
        std::string status, bytes, cookies;
        std::string text = HttpRequest({.url = server.base() + target,
                                        .returnedCookies = &cookies,
                                        .timeoutSeconds = 1,
                                        .statusText = &status,
                                        .responseBytes = &bytes});
        EXPECT_EQ(status, Local("713 读取数据失败!")) << target;
        EXPECT_EQ(text, "partial") << target;
        EXPECT_EQ(bytes, "partial") << target;
        EXPECT_EQ(cookies, "s=1") << target;
    }
}

// A redirect that is followed and then cannot be is a request never sent;
// an answer with a Location the transport does not follow is the final one,
// and its broken body a read error.
TEST(HttpRequest, AFailedRedirectIsTheNextRequestsFailure) {
    const std::string nowhere =
        "Location: http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/";
    // "/301" answers whole; "/broken/301" breaks off in the body.
    LoopbackServer server([&nowhere](const std::string& request) {
        const std::string target = test::RequestTarget(request);
        const std::string code = target.substr(target.rfind('/') + 1);
        if (!target.starts_with("/broken/"))
            return HttpReply("HTTP/1.1 " + code + " X", "", {nowhere});
        Reply reply;
        reply.bytes =
            "HTTP/1.1 " + code + " X\r\n" + nowhere + "\r\nContent-Length: 100000\r\n\r\npartial";
        reply.end = Reply::End::kReset;
        return reply;
    });
    for (const char* code : {"301", "302", "303", "307", "308"}) {
        std::string status;
        EXPECT_EQ(HttpRequest({.url = server.base() + "/" + code, .statusText = &status}), "");
        EXPECT_EQ(status, Local("711 发送请求失败!")) << code;
    }
    for (const char* code : {"299", "300", "305", "306", "400"}) {
        std::string status;
        HttpRequest({.url = server.base() + "/broken/" + code, .statusText = &status});
        EXPECT_EQ(status, Local("713 读取数据失败!")) << code;
    }
}

TEST(HttpRequest, TheWindowGetsTurnsWhileTheAnswerIsAwaited) {
    std::atomic<int> turns = 0;
    // The server answers only once the waiting side has let the window run.
    LoopbackServer server([&turns](const std::string&) {
        const bool live = WaitUntil([&] { return turns >= 3; });
        return HttpReply("HTTP/1.1 200 OK", live ? "late" : "window frozen");
    });
    auto old = SetPendingMessagesHook([&turns] { ++turns; });
    std::string status;
    std::string text =
        HttpRequest({.url = server.base() + "/", .timeoutSeconds = 10, .statusText = &status});
    SetPendingMessagesHook(old);
    EXPECT_EQ(text, "late");
    EXPECT_EQ(status, "200 OK");
}

TEST(HttpRequest, AWaitNestedInAWaitKeepsTheWindowRunning) {
    std::atomic<int> innerTurns = 0;
    LoopbackServer inner([&innerTurns](const std::string&) {
        const bool live = WaitUntil([&] { return innerTurns >= 3; });
        return HttpReply("HTTP/1.1 200 OK", live ? "inner" : "window frozen");
    });
    LoopbackServer outer([](const std::string&) {
        Reply reply = HttpReply("HTTP/1.1 200 OK", "outer");
        reply.dripChunk = 32;
        reply.dripDelay = std::chrono::milliseconds(30);
        return reply;
    });
    bool inInner = false;
    std::string innerText;
    auto old = SetPendingMessagesHook([&] {
        if (inInner) {
            ++innerTurns;
            return;
        }
        if (!innerText.empty()) return;
        inInner = true;
        innerText = HttpRequest({.url = inner.base() + "/", .timeoutSeconds = 10});
        inInner = false;
    });
    std::string text = HttpRequest({.url = outer.base() + "/"});
    SetPendingMessagesHook(old);
    EXPECT_EQ(text, "outer");
    EXPECT_EQ(innerText, "inner");
}

TEST(HttpRequest, ACallFromInsideTheWaitIsIndependent) {
    LoopbackServer slow([](const std::string&) {
        Reply reply = HttpReply("HTTP/1.1 200 OK", "outer", {"Set-Cookie: o=1"});
        reply.dripChunk = 32;
        reply.dripDelay = std::chrono::milliseconds(30);
        return reply;
    });
    LoopbackServer other([](const std::string&) {
        return HttpReply("HTTP/1.1 201 Created", "inner", {"Set-Cookie: i=1"});
    });
    std::string innerText, innerStatus, innerCookies;
    auto old = SetPendingMessagesHook([&] {
        if (!innerText.empty()) return;
        innerText = HttpRequest({.url = other.base() + "/",
                                 .returnedCookies = &innerCookies,
                                 .statusText = &innerStatus});
    });
    std::string status, cookies;
    std::string text =
        HttpRequest({.url = slow.base() + "/", .returnedCookies = &cookies, .statusText = &status});
    SetPendingMessagesHook(old);
    EXPECT_EQ(text, "outer");
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(cookies, "o=1");
    EXPECT_EQ(innerText, "inner");
    EXPECT_EQ(innerStatus, "201 Created");
    EXPECT_EQ(innerCookies, "i=1");
}

// A server that keeps connections: a redirect goes down the connection its
// request came on, and the next request opens one of its own.
TEST(HttpRequest, ARedirectKeepsItsConnectionTheNextRequestOpensItsOwn) {
    std::mutex mutex;
    std::vector<std::pair<std::string, int>> seen;  // path, client port
    LoopbackHttpServer server([&](const HttpServerRequest& request) {
        std::lock_guard lock(mutex);
        seen.emplace_back(request.Path(), request.remotePort);
        HttpServerResponse response;
        if (request.Path() == "/from") {
            response.status = 302;
            response.headers.emplace_back("Location", "/to");
        } else {
            response.body = "ok";
        }
        return response;
    });
    ASSERT_TRUE(server.Start());
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(HttpRequest({.url = server.Base() + "/from", .timeoutSeconds = 5}), "ok") << i;
    std::lock_guard lock(mutex);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[1].first, "/to");
    EXPECT_EQ(seen[0].second, seen[1].second);
    EXPECT_EQ(seen[2].second, seen[3].second);
    EXPECT_NE(seen[0].second, seen[2].second);
}

TEST(HttpRequest, HugeBodyIsCutAtTheCap) {
    LoopbackServer server([](const std::string&) {
        Reply reply;
        const std::uint64_t size = 100ull * 1000 * 1000;
        reply.bytes = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
        reply.fillerBytes = size;
        return reply;
    });
    std::string status, bytes;
    std::string text = HttpRequest(
        {.url = server.base() + "/big", .statusText = &status, .responseBytes = &bytes});
    EXPECT_EQ(bytes.size(), MAX_BODY_BYTES);
    EXPECT_EQ(text.size(), MAX_BODY_BYTES);
    EXPECT_EQ(status, Local("713 读取数据失败!"));
}

}  // namespace
}  // namespace vantrel
