#include "rules/rules_file.h"

#include <gtest/gtest.h>

#include <ctime>
#include <vector>

#include "json/strict_json.h"
#include "net/output_fields.h"
#include "settings/temp_folder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

constexpr char kTwoRules[] = R"({"rules": [
  {"name": "台风", "words": ["台风", "暴雨"], "exclude": ["演习"], "regex": "",
   "sources": ["weibo", "baidu"], "color": "#3399ff", "notify": true},
  {"name": "苹果", "regex": "iphone\\s*\\d+"}
]})";

// 2024-05-03 09:05:07 local time.
std::chrono::system_clock::time_point Moment() {
    std::tm local{};
    local.tm_year = 124;
    local.tm_mon = 4;
    local.tm_mday = 3;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 7;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

TEST(RulesText, ReadsEveryMemberAndDefaultsTheMissingOnes) {
    std::string problem;
    const std::optional<RulesFile> file = ParseRulesText(kTwoRules, problem);
    ASSERT_TRUE(file) << problem;
    ASSERT_EQ(file->rules.size(), 2u);
    const KeywordRule& first = file->rules[0];
    EXPECT_EQ(first.name, "台风");
    EXPECT_EQ(first.words, (std::vector<std::string>{"台风", "暴雨"}));
    EXPECT_EQ(first.exclude, (std::vector<std::string>{"演习"}));
    EXPECT_EQ(first.sources, (std::array<bool, 4>{true, true, false, false}));
    EXPECT_EQ(first.color, 0xFF3399FFu);
    EXPECT_TRUE(first.notify);
    const KeywordRule& second = file->rules[1];
    EXPECT_EQ(second.regex, "iphone\\s*\\d+");
    EXPECT_TRUE(second.words.empty());
    EXPECT_EQ(second.sources, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(second.color, COLOR_ACCENT);
    EXPECT_FALSE(second.notify);
    EXPECT_FALSE(file->doNotDisturb);

    // Written and read again, nothing changes; an empty "sources" is all four.
    const std::optional<RulesFile> again = ParseRulesText(FormatRulesText(*file), problem);
    ASSERT_TRUE(again) << problem << FormatRulesText(*file);
    EXPECT_EQ(*again, *file);
    const auto empty = ParseRulesText(
        R"({"rules": [{"name": "x", "sources": []}], "do_not_disturb": true})", problem);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->rules[0].sources, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_TRUE(empty->doNotDisturb);
    EXPECT_TRUE(ParseRulesText("{}", problem));
}

TEST(RulesText, RefusesTheWholeFileAndSaysWhereAndWhy) {
    struct Bad {
        const char* text;
        const char* problem;
    };
    const Bad bads[] = {
        {"", "第 1 行第 1 列：内容意外结束"},
        {"{\"rules\": [\n  {\"name\": \"a\",}\n]}", "第 2 行第 16 列：此处应为成员名"},
        {"{\"rules\": []} x", "第 1 行第 15 列：值之后还有多余的内容"},
        {"{\"rules\": [{\"name\": \"热点\",}]}", "第 1 行第 26 列：此处应为成员名"},
        {"{\"rules\": [], \"rules\": []}", "第 1 行第 15 列：成员名重复"},
        {"{\"rules\": [{\"name\": \"\xE4\xB8\"}]}", "不是 UTF-8 文本"},
        {"{\"rules\": [{\"name\": \"\\uD800\"}]}", "落单的代理项"},
        {"[]", "最外层应为对象"},
        {"{\"rule\": []}", "有未知的成员 \"rule\""},
        {"{\"rules\": {}}", "\"rules\" 的类型不对"},
        {R"({"rules": [{"name": "ok"}, {"words": ["a"]}]})", "第 2 条规则缺少 \"name\""},
        {R"({"rules": [{"name": "a", "words": "台风"}]})",
         "第 1 条规则的 \"words\" 应为字符串数组"},
        {R"({"rules": [{"name": "a", "exclude": [1]}]})", "\"exclude\" 应为字符串数组"},
        {R"({"rules": [{"name": "a", "sources": ["weibo", "twitter"]}]})",
         "未知的来源 \"twitter\""},
        {R"({"rules": [{"name": "a", "color": "#12345"}]})", "\"color\" 应为 \"#RRGGBB\""},
        {R"({"rules": [{"name": "a", "color": "#12345G"}]})", "\"color\" 应为 \"#RRGGBB\""},
        {R"({"rules": [{"name": "a", "notify": "yes"}]})", "\"notify\" 应为 true 或 false"},
        {R"({"rules": [{"name": "a", "excludes": []}]})", "未知的成员 \"excludes\""},
        {R"({"rules": [{"name": "a", "regex": "热点(未闭合"}]})",
         "第 1 条规则的 \"regex\" 在第 7 个字符处有误：missing closing parenthesis"},
    };
    for (const Bad& bad : bads) {
        std::string problem;
        EXPECT_FALSE(ParseRulesText(bad.text, problem)) << bad.text;
        EXPECT_NE(problem.find(bad.problem), std::string::npos) << bad.text << "\n" << problem;
    }
}

TEST(StrictJson, EscapesAndNumbersAsTheStandardHasThem) {
    JsonFault fault;
    const auto value = ReadStrictJson(
        "\xEF\xBB\xBF [\"\\u70ed\\ud83d\\udd25\\n\\\"\", -0.5e1, true, null, {\"a\": []}]", fault);
    ASSERT_TRUE(value) << fault.what;
    ASSERT_EQ(value->items.size(), 5u);
    EXPECT_EQ(value->items[0].text, "热🔥\n\"");
    EXPECT_EQ(value->items[1].number, -5);
    EXPECT_TRUE(value->items[2].boolean);
    EXPECT_EQ(value->items[3].kind, JsonValue::Kind::kNull);
    EXPECT_NE(value->items[4].Member("a"), nullptr);
    for (const char* bad :
         {"01", "1.", "-", "'a'", "[1,]", "{\"a\" 1}", "\"\t\"", "\"\\x\"", "\"\xC0\xAF\"",
          "\"\xC1\xBF\"", "\"\xED\xA0\x80\"", "nul", "[[1]", "\"\\u00g0\"", "\"\\u 123\""}) {
        EXPECT_FALSE(ReadStrictJson(bad, fault)) << bad;
        EXPECT_FALSE(fault.what.empty()) << bad;
    }
    // What cannot start a value is named as such, not read as a number.
    for (const char* bad : {"x", "[+1]", "{\"a\": .5}"}) {
        EXPECT_FALSE(ReadStrictJson(bad, fault)) << bad;
        EXPECT_EQ(fault.what, "此处应为一个值") << bad;
    }
    // Escapes at each end of the two- and three-byte forms, hex digits in
    // either case, and the highest character as its surrogate pair.
    const auto edges =
        ReadStrictJson(R"(["\u007f\u0080\u00e9\u07FF\u0800\u00A9\udbff\uDFFF"])", fault);
    ASSERT_TRUE(edges) << fault.what;
    EXPECT_EQ(edges->items.at(0).text,
              "\x7F\xC2\x80\xC3\xA9\xDF\xBF\xE0\xA0\x80\xC2\xA9\xF4\x8F\xBF\xBF");
    // Arrays and objects count towards the depth alike: 32 levels read, 33 do not.
    auto nested = [](int levels, const std::string& open, char close) {
        std::string text;
        for (int i = 0; i < levels; ++i)
            text += open;
        return text + "1" + std::string(levels, close);
    };
    for (const auto& [open, close] : {std::pair<std::string, char>{"{\"a\":", '}'}, {"[", ']'}}) {
        EXPECT_TRUE(ReadStrictJson(nested(32, open, close), fault)) << fault.what;
        EXPECT_FALSE(ReadStrictJson(nested(33, open, close), fault)) << open;
        EXPECT_EQ(fault.what, "嵌套过深");
    }
    // The edges of UTF-8: the last three-byte lead and the highest character
    // read; one past the highest does not.
    EXPECT_TRUE(ReadStrictJson("\"\xEF\xBF\xA5\xF4\x8F\xBF\xBF\"", fault)) << fault.what;
    EXPECT_FALSE(ReadStrictJson("\"\xF4\x90\x80\x80\"", fault));
    // Only the given bytes are read (the address sanitizer sees a read past
    // them): a text that ends in blanks has no terminator after it.
    const std::vector<char> endsInBlanks{'[', '1', ']', ' ', '\n'};
    EXPECT_TRUE(ReadStrictJson({endsInBlanks.data(), endsInBlanks.size()}, fault)) << fault.what;
    EXPECT_EQ(JsonString("a\"\\\n\x01热"), "\"a\\\"\\\\\\u000A\\u0001热\"");
}

TEST(RulesFileOnDisk, BrokenFileIsKeptAsideByteForByteAndNeverOverwritten) {
    TempFolder folder;
    const fs::path path = folder.path() / "rules.json";
    const std::string broken = "{\"rules\": [ {\"name\": \"半截\"";
    WriteFile(path, broken);

    const RulesLoad first = LoadRulesFile(path, Moment());
    EXPECT_EQ(first.state, RulesLoad::State::kBroken);
    EXPECT_TRUE(first.rules.rules.empty());
    EXPECT_EQ(first.keptAs, folder.path() / "rules.json.broken-20240503-090507");
    EXPECT_EQ(ReadFile(first.keptAs), broken);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_NE(first.Status().find("rules.json.broken-20240503-090507"), std::string::npos);
    EXPECT_NE(first.Status().find("内容意外结束"), std::string::npos) << first.Status();

    // A second broken file in the same second gets a number, the first stays.
    WriteFile(path, "not json");
    const RulesLoad second = LoadRulesFile(path, Moment());
    EXPECT_EQ(second.keptAs, folder.path() / "rules.json.broken-20240503-090507-2");
    EXPECT_EQ(ReadFile(first.keptAs), broken);
    EXPECT_EQ(ReadFile(second.keptAs), "not json");

    // A save over a file broken since the last read keeps that one aside too.
    WriteFile(path, "{\"rules\": [}");
    RulesFile rules;
    rules.rules.push_back(
        KeywordRule{"新规则", {"词"}, {}, {}, {true, true, true, true}, 0xFF00FF00, true});
    ASSERT_TRUE(SaveRulesFile(rules, path, Moment()));
    EXPECT_EQ(ReadFile(folder.path() / "rules.json.broken-20240503-090507-3"), "{\"rules\": [}");
    const RulesLoad saved = LoadRulesFile(path, Moment());
    EXPECT_EQ(saved.state, RulesLoad::State::kLoaded);
    EXPECT_EQ(saved.rules, rules);
    EXPECT_TRUE(saved.Status().empty());

    // A good file is replaced in place, and no file at all is no rules and no complaint.
    rules.doNotDisturb = true;
    ASSERT_TRUE(SaveRulesFile(rules, path, Moment()));
    EXPECT_TRUE(LoadRulesFile(path).rules.doNotDisturb);
    const RulesLoad missing = LoadRulesFile(folder.path() / "none.json");
    EXPECT_EQ(missing.state, RulesLoad::State::kMissing);
    EXPECT_TRUE(missing.Status().empty());
}

TEST(RulesFileOnDisk, ABrokenFileThatCannotBeMovedIsNotReplacedEither) {
    TempFolder folder;
    const fs::path path = folder.path() / "rules.json";
    WriteFile(path, "{");
    // Every name it could be kept under is taken.
    const std::string aside = "rules.json.broken-20240503-090507";
    WriteFile(folder.path() / aside, "first");
    for (int copy = 2; copy <= 99; ++copy)
        WriteFile(folder.path() / (aside + "-" + std::to_string(copy)), "older");
    const RulesLoad load = LoadRulesFile(path, Moment());
    EXPECT_EQ(load.state, RulesLoad::State::kBroken);
    EXPECT_TRUE(load.keptAs.empty());
    EXPECT_NE(load.Status().find("不会被覆盖"), std::string::npos) << load.Status();
    EXPECT_FALSE(SaveRulesFile(RulesFile{}, path, Moment()));
    EXPECT_EQ(ReadFile(path), "{");
    EXPECT_EQ(ReadFile(folder.path() / aside), "first");
}

TEST(RulesFileOnDisk, PathFollowsTheConfigFolder) {
    TempFolder folder;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
    EXPECT_EQ(RulesPath(), folder.path() / "vantrel" / "rules.json");
    EXPECT_EQ(RulesPath("/a/b/kweld.ini"), "/a/b/rules.json");
    if (old) {
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
}  // namespace vantrel
