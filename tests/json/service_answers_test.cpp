#include <gtest/gtest.h>

#include "json_test_support.h"

namespace vantrel::test {
namespace {

// The sample answers are written as the services write them: \u escapes,
// escaped slashes and numbers as numbers (Weibo, Baidu, Douyin item), or raw
// UTF-8 (Douyin billboard).

TEST(ServiceAnswers, WeiboPageRowsReadOnePathAtATime) {
    bool ok = false;
    JsonObject json = Loaded(ReadSample("weibo_page.json"), &ok);
    ASSERT_TRUE(ok);
    const std::string list = "cards[0]['card_group']";
    ASSERT_EQ(json.GetCount(list), 50);
    int withIcon = 0;
    for (int i = 0; i < 50; ++i) {
        std::string row = list + "[" + std::to_string(i) + "]";
        EXPECT_FALSE(json.GetText(row + ".desc", false).empty()) << row;
        std::string icon = json.GetText(row + ".icon", false);
        if (!icon.empty()) {
            ++withIcon;
            EXPECT_EQ(icon.rfind("https://img.example.com/hot/search_", 0), 0u) << icon;
        }
    }
    EXPECT_GT(withIcon, 30);
    EXPECT_EQ(json.GetText(list + "[5].icon", false), "");  // no icon member: empty, no failure
    // A surrogate-pair escape arrives as the one character, in its four GB18030 bytes.
    std::string desc = json.GetText(list + "[7].desc", false);
    EXPECT_NE(desc.find(L("😀")), std::string::npos);
    EXPECT_EQ(L(U(desc)), desc);
    EXPECT_EQ(U(json.GetText("cardlistInfo.title_top", false)), "微博热搜");
    EXPECT_EQ(json.GetText(list + "[0].desc_extr", false), "910111");
}

TEST(ServiceAnswers, BaiduBoardPathBeginningWithTheRootName) {
    JsonObject json = Loaded(ReadSample("baidu_board.json"));
    // "data..." starts with "da" but names the member data of the root.
    EXPECT_EQ(json.GetCount("data.cards[0].content"), 30);
    EXPECT_TRUE(json.Exists("data.cards[0].content[29].word"));
    std::string desc = U(json.GetText("data.cards[0].content[3].desc", false));
    EXPECT_NE(desc.find("引号\"和反斜杠\\。"), std::string::npos) << desc;
    EXPECT_EQ(json.GetText("data.cards[0].content[3].hotTag", false), "3");
    EXPECT_EQ(json.TypeOf("data.cards[0].content[3].index"), kJsonNumber);
    EXPECT_EQ(json.TypeOf("data.cards[0].topContent"), kJsonArray);
}

TEST(ServiceAnswers, DouyinBillboardExtraLists) {
    JsonObject json = Loaded(ReadSample("douyin_billboard.json"));
    ASSERT_EQ(json.GetCount("billboard_data"), 50);
    EXPECT_EQ(json.GetCount("billboard_data[49].extra_list"), 3);
    EXPECT_EQ(json.GetText("billboard_data[49].extra_list[2].link", false),
              "https://www.example.com/video/7000000000000000492");
    EXPECT_EQ(json.GetText("billboard_data[0].rank", false), "1");
    EXPECT_NE(json.GetText("billboard_data[7].title", false).find(L("😀")), std::string::npos);
}

TEST(ServiceAnswers, DouyinItemCountersThroughGetObject) {
    JsonObject json = Loaded(ReadSample("douyin_item.json"));
    EXPECT_EQ(U(json.GetText("item_list[0].author.nickname", false)), "摄影师小王");
    JsonObject digg = json.GetObject("['item_list'][0].statistics['digg_count']");
    EXPECT_EQ(digg.ToText(), "12345");
    digg.Destroy();
    EXPECT_EQ(json.GetObject("item_list[0].statistics.comment_count").ToText(), "678");
    EXPECT_EQ(json.GetObject("item_list[0].create_time").ToText(), "1607398765");
    EXPECT_EQ(U(json.GetText("item_list[0].desc", false)), "夜景延时摄影 🌃 #城市#");
    EXPECT_EQ(json.GetText("item_list[0].video.play_addr.url_list[0]", false),
              "https://play.example.com/aweme/v1/play/?video_id=v0200f&ratio=720p&line=0");
}

}  // namespace
}  // namespace vantrel::test
