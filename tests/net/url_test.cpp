#include "net/url.h"

#include <gtest/gtest.h>

#include "net/code_page.h"

namespace vantrel {
namespace {

using namespace std::string_literals;

TEST(UrlHost, SchemeCasePortAndMainDomain) {
    EXPECT_EQ(UrlHost("HTTPS://Aa.Bb.Cc:8443/a?b"), "aa.bb.cc");
    EXPECT_EQ(UrlHost("HTTPS://Aa.Bb.Cc:8443/a?b", false, true), "aa.bb.cc:8443");
    EXPECT_EQ(UrlHost("aa.bb.cc/x"), "aa.bb.cc");
    EXPECT_EQ(UrlHost("aa.bb"), "aa.bb");
    EXPECT_EQ(UrlHost("http://a.b.cc.dd/x", true), "cc.dd");
    EXPECT_EQ(UrlHost("http://a.b.cc.dd:81/x", true, true), "cc.dd:81");
    EXPECT_EQ(UrlHost("http://localhost", true), "localhost");
    EXPECT_EQ(UrlHost("http://a.com?q=http://b.com/"), "a.com");
    EXPECT_EQ(UrlHost("http://[::1]:8080/x"), "[::1]");
    EXPECT_EQ(UrlHost(""), "");
}

TEST(UrlPort, WrittenPortOrTheSchemeDefault) {
    EXPECT_EQ(UrlPort("http://a.com/x"), 80);
    EXPECT_EQ(UrlPort("https://a.com/x"), 443);
    EXPECT_EQ(UrlPort("HTTPS://a.com"), 443);
    EXPECT_EQ(UrlPort("https://a.com:8080"), 8080);
    EXPECT_EQ(UrlPort("a.com:8080/p"), 8080);
    EXPECT_EQ(UrlPort("http://[::1]/"), 80);
    EXPECT_EQ(UrlPort("http://[::1]:9000/"), 9000);
    EXPECT_EQ(UrlPort("http://a:/"), 0);
}

TEST(UrlPath, EverythingAfterTheHost) {
    EXPECT_EQ(UrlPath("https://h.cn/a/b?x=1#f"), "/a/b?x=1#f");
    EXPECT_EQ(UrlPath("https://h.cn"), "/");
    EXPECT_EQ(UrlPath("h.cn:81/p"), "/p");
    // A query straight after the host stays with the request.
    EXPECT_EQ(UrlPath("http://h.cn?x=1"), "/?x=1");
    EXPECT_EQ(UrlPath("http://http/x"), "/x");  // the host's name is not searched for
}

TEST(RequestUrl, CredentialsOutAndWhatAUrlCannotCarryEscaped) {
    EXPECT_EQ(RequestUrl("http://u:p@h.cn:81/a b?x=\"1\"#f g"),
              "http://h.cn:81/a%20b?x=%221%22#f%20g");
    EXPECT_EQ(RequestUrl("http://a@b@h.cn/"), "http://h.cn/");
    EXPECT_EQ(RequestUrl("HTTP://user@h.cn?x=1"), "HTTP://h.cn?x=1");
    // An "@" after the host is no credential.
    EXPECT_EQ(RequestUrl("https://h.cn/p@q?a=b@c"), "https://h.cn/p@q?a=b@c");
    EXPECT_EQ(RequestUrl("h.cn/a b"), "h.cn/a%20b");
    // Local text goes as UTF-8; escapes and stray "%" stay as written.
    EXPECT_EQ(RequestUrl("http://h.cn/\xD6\xD0?%E6%96%87%zz"),
              "http://h.cn/%E4%B8%AD?%E6%96%87%zz");
    EXPECT_EQ(RequestUrl("http://h.cn/a\tb\x7f{|}<>\\^`"),
              "http://h.cn/a%09b%7F%7B%7C%7D%3C%3E%5C%5E%60");
    EXPECT_EQ(RequestUrl("http://h.cn/-._~:/?#[]@!$&'()*+,;="),
              "http://h.cn/-._~:/?#[]@!$&'()*+,;=");
    EXPECT_EQ(RequestUrl(""), "");
}

TEST(PercentEncode, EveryByteButBlankUnlessSafe) {
    EXPECT_EQ(PercentEncodeBytes("\xE4\xB8\xAD\xE6\x96\x87", false), "%E4%B8%AD%E6%96%87");
    EXPECT_EQ(PercentEncodeBytes("a b", false), "%61+%62");
    EXPECT_EQ(PercentEncodeBytes("a b-_.~", true), "a+b-_.%7E");
    EXPECT_EQ(PercentEncodeBytes("'()*!Az09", true), "'()*%21Az09");
    EXPECT_EQ(PercentEncodeBytes("a\0b"s, true), "ab");
    EXPECT_EQ(PercentEncodeBytes("", true), "");
    const std::string zhongWen = "\xD6\xD0\xCE\xC4";  // local text
    EXPECT_EQ(UrlEncode(zhongWen, false, true), "%E4%B8%AD%E6%96%87");
    EXPECT_EQ(UrlEncode(zhongWen + " #", true), "%D6%D0%CE%C4+%23");
    EXPECT_EQ(UrlEncode("a\0b"s, true), "a");
}

TEST(PercentDecode, EscapesPlusAndStrayPercents) {
    EXPECT_EQ(PercentDecode("%E4%b8%AD+x"), "\xE4\xB8\xAD+x");
    EXPECT_EQ(PercentDecode("a+b%20c", true), "a b c");
    EXPECT_EQ(PercentDecode("100%"), "100%");
    EXPECT_EQ(PercentDecode("%4"), "%4");
    EXPECT_EQ(PercentDecode("%zz%41"), "%zzA");
    EXPECT_EQ(PercentDecode("%%41"), "%A");
    EXPECT_EQ(PercentDecode("%00"), "\0"s);
    EXPECT_EQ(PercentDecode(""), "");
    // Input that ends inside an escape: the bytes beyond it are not read.
    const std::string_view whole = "a%41";
    EXPECT_EQ(PercentDecode(whole.substr(0, 3)), "a%4");
    EXPECT_EQ(PercentDecode(whole.substr(0, 2)), "a%");
    // What a suggest-words answer goes through.
    EXPECT_EQ(Utf8ToLocal(PercentDecode("%E4%B8%AD+%E6%96%87", true)), "\xD6\xD0 \xCE\xC4");
}

}  // namespace
}  // namespace vantrel
