#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/code_page.h"
#include "net/regex_object.h"
#include "rules/rule_set.h"
#include "rules/word_match.h"

namespace vantrel {
namespace {

std::string L(std::string_view utf8) {
    return Utf8ToLocal(utf8);
}

KeywordRule Rule(std::vector<std::string> words, std::vector<std::string> exclude = {},
                 std::string regex = {}) {
    KeywordRule rule;
    rule.name = "r";
    rule.words = std::move(words);
    rule.exclude = std::move(exclude);
    rule.regex = std::move(regex);
    return rule;
}

struct Case {
    const char* what;
    KeywordRule rule;
    const char* title;  // UTF-8; converted to local text as the lists hold titles
    bool matches;
};

TEST(RuleMatching, WordsExcludeAndPatternTogether) {
    const std::vector<Case> cases = {
        {"any word", Rule({"台风", "暴雨"}), "南方暴雨持续", true},
        {"no word", Rule({"台风", "暴雨"}), "今日晴朗", false},
        {"no words: every title", Rule({}), "任何标题", true},
        {"an empty word matches nothing", Rule({""}), "任何标题", false},
        {"excluded", Rule({"暴雨"}, {"预警"}), "暴雨预警升级", false},
        {"exclusion alone", Rule({}, {"广告"}), "这是广告", false},
        {"exclusion alone, absent", Rule({}, {"广告"}), "这是新闻", true},
        {"words are case-sensitive", Rule({"iPhone"}), "新款IPHONE发布", false},
        {"blanks belong to the word", Rule({"new york"}), "newyork 天气", false},
        {"pattern", Rule({}, {}, "第\\d+届"), "第33届奥运会", true},
        {"pattern without match", Rule({}, {}, "第\\d+届"), "奥运会开幕", false},
        {"pattern ignores case", Rule({}, {}, "iphone\\s*1[56]"), "IPHONE 16 发布", true},
        {"pattern ignores full-width case", Rule({}, {}, "ＡＩ"), "ａｉ大模型", true},
        {"words and pattern both needed", Rule({"发布"}, {}, "^新款"), "新款手机发布", true},
        {"words and pattern, pattern fails", Rule({"发布"}, {}, "^新款"), "手机新款发布", false},
        {"full-width word is not its ASCII", Rule({"ＡＩ"}), "AI 大模型", false},
        {"full-width word", Rule({"ＡＩ"}), "ＡＩ大模型", true},
        {"emoji word", Rule({"🔥"}), "热议🔥话题", true},
    };
    for (const Case& c : cases) {
        const RuleSet rules({c.rule});
        EXPECT_EQ(rules.Matches(0, SourceId::kWeibo, L(c.title)), c.matches) << c.what;
    }
}

TEST(RuleMatching, NeverMatchesInsideATwoByteCharacter) {
    // "程序" is B3 CC D0 F2: its middle bytes CC D0 are a character of their own.
    const std::string title = L("程序");
    const std::string middle = title.substr(1, 2);
    EXPECT_FALSE(ContainsWord(title, middle));
    EXPECT_TRUE(ContainsWord(title, title.substr(0, 2)));
    RuleSet rules({Rule({ToUtf8(middle)})});
    EXPECT_FALSE(rules.Matches(0, SourceId::kBaidu, title));
}

TEST(RuleMatching, SourcesLimitTheRuleAndTheOrderIsTheFiles) {
    KeywordRule baiduOnly = Rule({"高考"});
    baiduOnly.name = "百度高考";
    baiduOnly.sources = {false, true, false, false};
    KeywordRule all = Rule({"高考"});
    all.name = "高考";
    KeywordRule other = Rule({"志愿"});
    other.name = "志愿";
    const RuleSet rules({baiduOnly, all, other});
    const std::string title = L("高考志愿填报指南");
    EXPECT_EQ(rules.Matching(SourceId::kBaidu, title), (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(rules.Matching(SourceId::kDouyin, title), (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(JoinedRuleNames(rules, rules.Matching(SourceId::kBaidu, title)),
              "百度高考, 高考, 志愿");
    EXPECT_TRUE(rules.Matching(SourceId::kNone, title).empty());
}

TEST(RuleMatching, BadPatternIsReportedWithItsPosition) {
    // Characters, not bytes: the Chinese characters before the fault count one each.
    const std::optional<PatternFault> fault = FindPatternFault(L("热点(未闭合"));
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->position, 7);  // after the sixth character, where the group should close
    EXPECT_NE(fault->message.find("missing closing parenthesis"), std::string::npos)
        << fault->message;
    const std::optional<PatternFault> nothing = FindPatternFault("a**");
    ASSERT_TRUE(nothing);
    EXPECT_EQ(nothing->position, 3);
    EXPECT_FALSE(FindPatternFault(L("第\\d+届")));
}

}  // namespace
}  // namespace vantrel
