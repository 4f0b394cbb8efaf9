#include "sources/list_fetchers.h"

#include <gtest/gtest.h>

#include "net/code_page.h"
#include "source_sample.h"
#include "sources/list_readers.h"
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

std::string Local(const char* utf8) {
    return Utf8ToLocal(std::string_view(utf8));
}

class ListFetchersTest : public ::testing::Test {
  protected:
    // Every request gets the same reply; the service base points at the server.
    void Serve(Reply reply) {
        server = std::make_unique<LoopbackServer>([reply](const std::string&) { return reply; });
        ASSERT_TRUE(SetServiceBase(server->base()));
    }
    void ServeBody(const std::string& body) { Serve(HttpReply("HTTP/1.1 200 OK", body)); }
    void TearDown() override { SetServiceBase(""); }
    std::unique_ptr<LoopbackServer> server;
};

// An id from an answer goes into a page's path: only letters, digits, "_"
// and "-" are kept, and the characters on either side of each range are not.
TEST(LinkSafeIdTest, KeepsLettersDigitsUnderscoreAndHyphen) {
    EXPECT_EQ(LinkSafeId("azAZ09_-"), "azAZ09_-");
    EXPECT_EQ(LinkSafeId("/:@[`{"), "");
    EXPECT_EQ(LinkSafeId("12/../x?y#z \xE7\x83\xad"), "12xyz");
}

TEST_F(ListFetchersTest, WeiboReadsFiftyEntriesWithTags) {
    ServeBody(Sample("weibo_hot.json"));
    FetchResult result = FetchWeibo();
    EXPECT_EQ(result.status, FetchStatus::kParsed);
    EXPECT_EQ(result.rankBase, 0);
    ASSERT_EQ(result.entries.size(), 50u);
    EXPECT_EQ(result.entries[0].title, Local("全国多地气温创下今冬新低"));
    EXPECT_EQ(result.entries[0].tag, "");  // no "_small.png"
    EXPECT_EQ(result.entries[1].tag, "boom");
    EXPECT_EQ(result.entries[8].tag, "jian_yellow");
    EXPECT_EQ(result.entries[48].title, Local("一起来听雪落的声音 \xF0\x9F\x8C\xA8"));
    EXPECT_NE(server->lastRequest().find(
                  "GET /2/guest/page?containerid=106003&filter_type=realtimehot HTTP/1.1\r\n"),
              std::string::npos);
}

std::string WeiboPage(int count) {
    std::string group;
    for (int k = 0; k < count; ++k)
        group += std::string(k ? "," : "") + "{\"desc\":\"t" + std::to_string(k) +
                 "\",\"icon\":\"x_new_small.png\"}";
    return "{\"cards\":[{\"card_group\":[" + group + "]}]}";
}

TEST_F(ListFetchersTest, WeiboAndDouyinNeedMoreThanTwentyTwoEntries) {
    ServeBody(WeiboPage(22));
    FetchResult few = FetchWeibo();
    EXPECT_EQ(few.status, FetchStatus::kParsed);
    EXPECT_TRUE(few.entries.empty());
    ServeBody(WeiboPage(23));
    FetchResult enough = FetchWeibo();
    ASSERT_EQ(enough.entries.size(), 23u);
    EXPECT_EQ(enough.entries[22].tag, "new");
    std::string board;
    for (int k = 0; k < 22; ++k)
        board += std::string(k ? "," : "") + "{\"title\":\"d\"}";
    ServeBody("{\"billboard_data\":[" + board + "]}");
    EXPECT_TRUE(FetchDouyin().entries.empty());
    ServeBody("{\"billboard_data\":[" + board + ",{\"title\":\"last\"}]}");
    EXPECT_EQ(FetchDouyin().entries.size(), 23u);
}

TEST_F(ListFetchersTest, BaiduCutsTheEmbeddedDataAtTheExactEndMarker) {
    const std::string page = Sample("baidu_board.html");
    ServeBody(page);
    FetchResult result = FetchBaidu();
    EXPECT_EQ(result.status, FetchStatus::kParsed);
    ASSERT_EQ(result.entries.size(), 30u);
    EXPECT_EQ(result.entries[0].title, Local("国家出台稳就业新举措"));
    EXPECT_EQ(result.entries[0].tag, "3");
    EXPECT_EQ(result.entries[3].tag, "0");
    EXPECT_EQ(result.entries[2].description,
              Local("新版本优化了专项附加扣除填报流程，年度汇算更方便。"));
    EXPECT_NE(server->lastRequest().find("GET /board?tab=realtime HTTP/1.1\r\n"),
              std::string::npos);

    std::string twoBlanks = page;
    twoBlanks.replace(twoBlanks.find("--> <div class=\"bg-wrapper\">"), 4, "-->  ");
    ServeBody(twoBlanks);
    result = FetchBaidu();
    EXPECT_EQ(result.status, FetchStatus::kUnparsed);
    EXPECT_TRUE(result.entries.empty());
}

TEST_F(ListFetchersTest, ToutiaoDecodesWordsBeforeCutting) {
    ServeBody(Sample("toutiao_words.json"));
    FetchResult result = FetchToutiao();
    EXPECT_EQ(result.status, FetchStatus::kParsed);
    EXPECT_EQ(result.rankBase, 1);
    ASSERT_EQ(result.entries.size(), 10u);
    EXPECT_EQ(result.entries[0].title, Local("全国多地迎来降雪"));
    EXPECT_EQ(result.entries[2].title, Local("新能源车 冬季续航"));
    EXPECT_EQ(result.entries[4].title, Local("元旦假期 出行提示"));
    ServeBody("<html>no words</html>");
    result = FetchToutiao();
    EXPECT_EQ(result.status, FetchStatus::kParsed);  // an answer came: the age label restarts
    EXPECT_TRUE(result.entries.empty());
}

TEST_F(ListFetchersTest, DouyinKeepsLinksInReverseOrderPerEntry) {
    ServeBody(Sample("douyin_billboard.json"));
    FetchResult result = FetchDouyin();
    ASSERT_EQ(result.entries.size(), 50u);
    EXPECT_EQ(result.rankBase, 1);
    // Entries 0 to 3 have three, two, one and no links (see make_samples.py).
    const std::string v = "https://www.iesdouyin.com/share/video/";
    EXPECT_EQ(result.entries[0].links,
              v + "7300000000000000003/?region=CN&mid=7300000000000000003|" + v +
                  "7300000000000000002/?region=CN&mid=7300000000000000002|" + v +
                  "7300000000000000001/?region=CN&mid=7300000000000000001");
    EXPECT_EQ(result.entries[2].links,
              v + "7300000000000000021/?region=CN&mid=7300000000000000021");
    EXPECT_EQ(result.entries[3].links, "");
}

TEST_F(ListFetchersTest, BadAnswersLeaveTheListEmpty) {
    for (const char* body : {"<html>oops</html>", "{\"cards\":[{\"card_group\":[", ""}) {
        ServeBody(body);
        FetchResult weibo = FetchWeibo();
        EXPECT_EQ(weibo.status, FetchStatus::kUnparsed) << body;
        EXPECT_TRUE(weibo.entries.empty());
        EXPECT_TRUE(FetchDouyin().entries.empty());
        EXPECT_TRUE(FetchBaidu().entries.empty());
    }
    Serve(HttpReply("HTTP/1.1 500 Internal Server Error", "broken"));
    EXPECT_TRUE(FetchWeibo().entries.empty());
    ServeBody("{\"data\":{}}");
    EXPECT_TRUE(FetchBaidu().entries.empty());
}

// Weibo and Douyin wait in the routine that reports a broken-off body as a
// failed read (713), which counts as no answer; the routine of Baidu and
// Toutiao hands back what arrived, which counts as an answer. An empty 200
// is an answer everywhere; only Toutiao, which cuts rather than parses,
// calls it read.
TEST_F(ListFetchersTest, CutAndEmptyBodiesGiveTheDocumentedStatus) {
    Reply cut;
    cut.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 4000\r\n\r\n{\"word\":\"a\",\"word\":\"b";
    cut.end = Reply::End::kReset;
    Serve(cut);
    EXPECT_EQ(FetchWeibo().status, FetchStatus::kRequestFailed);
    EXPECT_EQ(FetchDouyin().status, FetchStatus::kRequestFailed);
    EXPECT_EQ(FetchBaidu().status, FetchStatus::kUnparsed);
    const FetchResult toutiao = FetchToutiao();
    EXPECT_EQ(toutiao.status, FetchStatus::kParsed);
    ASSERT_EQ(toutiao.entries.size(), 1u);  // what arrived, cut like a whole answer
    EXPECT_EQ(toutiao.entries[0].title, "a");

    ServeBody("");
    EXPECT_EQ(FetchWeibo().status, FetchStatus::kUnparsed);
    EXPECT_EQ(FetchDouyin().status, FetchStatus::kUnparsed);
    EXPECT_EQ(FetchBaidu().status, FetchStatus::kUnparsed);
    EXPECT_EQ(FetchToutiao().status, FetchStatus::kParsed);
    EXPECT_TRUE(FetchToutiao().entries.empty());
}

TEST_F(ListFetchersTest, NoAnswerAtAllIsARequestFailureForEverySource) {
    ASSERT_TRUE(SetServiceBase("http://127.0.0.1:" + std::to_string(test::ClosedPort())));
    EXPECT_EQ(FetchWeibo().status, FetchStatus::kRequestFailed);
    EXPECT_EQ(FetchBaidu().status, FetchStatus::kRequestFailed);
    EXPECT_EQ(FetchToutiao().status, FetchStatus::kRequestFailed);
    EXPECT_EQ(FetchDouyin().status, FetchStatus::kRequestFailed);
}

}  // namespace
}  // namespace vantrel
