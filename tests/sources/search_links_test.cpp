#include "sources/search_links.h"

#include <gtest/gtest.h>

#include "net/code_page.h"
#include "sources/service_hosts.h"
#include "support/loopback_server.h"

namespace vantrel {
namespace {

class SearchLinksTest : public ::testing::Test {
  protected:
    void TearDown() override { SetServiceBase(""); }
};

TEST_F(SearchLinksTest, TitlesAreEncodedAsUtf8WithReservedCharacters) {
    const std::string title = Utf8ToLocal(std::string_view("春运 #抢票&攻略?"));
    EXPECT_EQ(WeiboSearchLink(title),
              "http://s.weibo.com/weibo/"
              "%E6%98%A5%E8%BF%90%20%23%E6%8A%A2%E7%A5%A8%26%E6%94%BB%E7%95%A5%3F");
    EXPECT_EQ(BaiduSearchLink("a b#c"), "https://www.baidu.com/baidu?&wd=a%20b%23c");
    EXPECT_EQ(FullBoardLink(1), "https://s.weibo.com/top/summary?cate=realtimehot");
    EXPECT_EQ(FullBoardLink(2), "http://top.baidu.com/buzz?b=1");
    EXPECT_EQ(FullBoardLink(3), "https://www.toutiao.com/");
    EXPECT_EQ(FullBoardLink(4), "https://www.iesdouyin.com/share/billboard/");
    EXPECT_EQ(FullBoardLink(5), "");
}

TEST_F(SearchLinksTest, ToutiaoNeedsTwoPairsAndSendsTheExactRequest) {
    std::string answer;
    test::LoopbackServer server(
        [&answer](const std::string&) { return test::HttpReply("HTTP/1.1 200 OK", answer); });
    ASSERT_TRUE(SetServiceBase(server.base()));
    answer = "x url=http%3A%2F%2Fa.test%2F1&amp;y url=https://b.test/2&amp; z";
    EXPECT_EQ(ToutiaoSearchLink(Utf8ToLocal(std::string_view("冬至 习俗"))), "http://a.test/1");
    const std::string request = server.lastRequest();
    EXPECT_NE(request.find("GET /search/?keyword=%E5%86%AC%E8%87%B3+%E4%B9%A0%E4%BF%97&pd=synthesis"
                           "&source=trending_list&traffic_source= HTTP/1.1\r\n"),
              std::string::npos)
        << request;
    EXPECT_NE(request.find("Authorization\":\"APPCODE 0f3a9c2e7b4d16580e2f4a6c8b1d3e57\r\n"),
              std::string::npos);
    EXPECT_NE(request.find("MQQBrowser/8.9 Mobile Safari/537.36\r\n"), std::string::npos);
    answer = "only url=http://a.test/1&amp; here";
    EXPECT_EQ(ToutiaoSearchLink("x"), "");
}

}  // namespace
}  // namespace vantrel
