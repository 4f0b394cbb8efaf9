#include "net/header_cookie.h"

#include <gtest/gtest.h>

#include "net/answer_headers.h"

namespace vantrel {
namespace {

TEST(NormalizeHeaderNames, CapitalisesNamesDropsJunkKeepsValues) {
    EXPECT_EQ(NormalizeHeaderNames("x-requested-with: XMLHttpRequest\r\njunk\r\n"),
              "X-Requested-With: XMLHttpRequest");
    EXPECT_EQ(NormalizeHeaderNames("CONTENT-type: x"), "CONTENT-Type: x");
    EXPECT_EQ(NormalizeHeaderNames("accept-language:  zh-cn\r\nhost:a:b"),
              "Accept-Language:  zh-cn\r\nHost:a:b");
    EXPECT_EQ(NormalizeHeaderNames("x-: v\r\na--b: w"), "X-: v\r\nA--B: w");
    EXPECT_EQ(NormalizeHeaderNames("junk\r\n"), "");
    EXPECT_EQ(NormalizeHeaderNames(""), "");
}

TEST(HeaderValue, FirstLineStartingWithTheName) {
    EXPECT_EQ(HeaderValue("Connection: keep-alive", "Connection"), "keep-alive");
    EXPECT_EQ(HeaderValue("Connection:close", "Connection"), "");
    EXPECT_EQ(HeaderValue("A: 1\r\nConnection: close\r\nConnection: x", "Connection"), "close");
    EXPECT_EQ(HeaderValue("connection: close", "Connection"), "");
    EXPECT_EQ(HeaderValue("", "Connection"), "");
    // A longer name that ends in the wanted one is another header.
    EXPECT_EQ(HeaderValue("Proxy-Connection: keep-alive\r\nConnection: close", "Connection"),
              "close");
}

TEST(CollectSetCookies, NameValueWithoutAttributes) {
    std::string list;
    CollectSetCookies("Set-Cookie: sid=5; Path=/; HttpOnly", list);
    EXPECT_EQ(list, "sid=5; ");
    CollectSetCookies("Set-Cookie: lang=zh", list);
    EXPECT_EQ(list, "sid=5; lang=zh; ");
    CollectSetCookies("set-cookie: a=1", list);
    CollectSetCookies("Content-Type: text/html; charset=utf-8", list);
    CollectSetCookies("HTTP/1.1 200 OK", list);
    EXPECT_EQ(list, "sid=5; lang=zh; ");
}

TEST(CookieName, TrimmedTextBeforeEquals) {
    EXPECT_EQ(CookieName(" sid = 5 "), "sid");
    EXPECT_EQ(CookieName("flag"), "flag");
    EXPECT_EQ(CookieName("a=b=c"), "a");
}

TEST(MergeCookies, NewFirstThenOldThatWereNotSetAgain) {
    std::string old = "a=1; b=2";
    EXPECT_EQ(MergeCookies(old, "b=3; c=4"), "b=3; c=4; a=1");
    EXPECT_EQ(old, "b=3; c=4; a=1");

    old = "a=1;";
    EXPECT_EQ(MergeCookies(old, ""), "a=1");
    old = "";
    EXPECT_EQ(MergeCookies(old, "x=1; x=1"), "x=1");
    old = " a=1; a=2 ";
    EXPECT_EQ(MergeCookies(old, "flag"), "flag; a=1");
}

TEST(MergeCookies, DeletedCookiesLeaveWithTheirOldValue) {
    std::string old = "a=1; b=2";
    EXPECT_EQ(MergeCookies(old, "b=deleted"), "a=1");
    EXPECT_EQ(old, "a=1");
    old = "a=1";
    EXPECT_EQ(MergeCookies(old, "a=deleted; b=deleted"), "");
    old = "a=1";
    EXPECT_EQ(MergeCookies(old, "b=undeleted"), "b=undeleted; a=1");  // the value is not "deleted"
}

TEST(RemoveDuplicates, ByDelimiterOrByCharacter) {
    EXPECT_EQ(RemoveDuplicates("a; b; a; c; b", "; "), "a; b; c");
    EXPECT_EQ(RemoveDuplicates("", "; "), "");
    EXPECT_EQ(RemoveDuplicates("\xD6\xD0"
                               "a\xD6\xD0\r\n\r\n",
                               ",", false),
              "\xD6\xD0,a,\r\n");
}

// The cookies of an answer's header block as both requests give them: joined
// by "; " with none after the last, and an empty Set-Cookie adds nothing.
TEST(AnswerHeaderCookies, JoinedWithoutATrailingSeparator) {
    const std::pair<const char*, const char*> blocks[] = {
        {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; Path=/\r\nSet-Cookie: b\r\n\r\n", "a=1; b"},
        {"HTTP/1.1 200 OK\r\nSet-Cookie: \r\n\r\n", ""},
        {"HTTP/1.1 200 OK\r\nX: 1\r\n\r\n", ""},
    };
    for (const auto& [block, cookies] : blocks) {
        EXPECT_EQ(ReadInetAnswerHeaders(block).cookies, cookies) << block;
        EXPECT_EQ(ReadHttpAnswerHeaders(block).cookies, cookies) << block;
    }
}

}  // namespace
}  // namespace vantrel
