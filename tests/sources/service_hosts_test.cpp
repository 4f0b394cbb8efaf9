#include "sources/service_hosts.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

class ServiceHostsTest : public ::testing::Test {
  protected:
    void TearDown() override { SetServiceBase(""); }
};

TEST_F(ServiceHostsTest, RealHostsUseTheGivenScheme) {
    EXPECT_EQ(ServiceUrl(ServiceHost::kWeiboApi, "https",
                         "/2/guest/page?containerid=106003&filter_type=realtimehot"),
              "https://api.weibo.cn/2/guest/page?containerid=106003&filter_type=realtimehot");
    EXPECT_EQ(ServiceUrl(ServiceHost::kBaiduOldBoard, "http", "/buzz?b=1"),
              "http://top.baidu.com/buzz?b=1");
}

TEST_F(ServiceHostsTest, BaseReplacesSchemeHostAndPortOfEveryService) {
    ASSERT_TRUE(SetServiceBase("http://127.0.0.1:40123/"));
    EXPECT_EQ(ServiceBase(), "http://127.0.0.1:40123");
    for (ServiceHost host :
         {ServiceHost::kWeiboApi, ServiceHost::kWeiboSearch, ServiceHost::kBaiduBoard,
          ServiceHost::kBaiduSearch, ServiceHost::kBaiduOldBoard, ServiceHost::kToutiaoApi,
          ServiceHost::kToutiaoSearch, ServiceHost::kToutiaoHome, ServiceHost::kDouyinCreator,
          ServiceHost::kDouyinWeb, ServiceHost::kDouyinShare}) {
        EXPECT_EQ(ServiceUrl(host, "https", "/a/b?c=1&d=%20"),
                  "http://127.0.0.1:40123/a/b?c=1&d=%20");
    }
    ASSERT_TRUE(SetServiceBase("http://127.0.0.1:65535"));
    EXPECT_EQ(ServiceUrl(ServiceHost::kBaiduBoard, "https", "/b"), "http://127.0.0.1:65535/b");
    ASSERT_TRUE(SetServiceBase("http://[::1]:8080"));
    EXPECT_EQ(ServiceUrl(ServiceHost::kDouyinWeb, "https", "/x"), "http://[::1]:8080/x");
    ASSERT_TRUE(SetServiceBase(""));
    EXPECT_EQ(ServiceUrl(ServiceHost::kToutiaoHome, "https", "/"), "https://www.toutiao.com/");
}

TEST_F(ServiceHostsTest, MalformedBaseIsRefusedAndKeepsTheOldOne) {
    ASSERT_TRUE(SetServiceBase("http://localhost:9"));
    for (const char* bad : {"127.0.0.1:80", "ftp://127.0.0.1", "http://", "http://host:0",
                            "http://host:65536", "http://host:12ab", "http://host/path",
                            "http://a b", "http://[::1", "http://[]:80", "http://host:80?x"}) {
        EXPECT_FALSE(SetServiceBase(bad)) << bad;
    }
    EXPECT_EQ(ServiceBase(), "http://localhost:9");
}

}  // namespace
}  // namespace vantrel
