#include "cli/list_printer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>

#include <nlohmann/json.hpp>

#include "net/code_page.h"
#include "settings/settings_file.h"
#include "settings/temp_folder.h"
#include "sources/demo/demo_server.h"
#include "sources/list_fetchers.h"
#include "sources/service_hosts.h"
#include "support/loopback_server.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        fields.push_back(field);
    if (!line.empty() && line.back() == '\t') fields.push_back("");
    return fields;
}

class ListPrinterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("vantrel-print-" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        SetServiceBase("");
        fs::remove_all(folder_);
    }
    fs::path Settings() const { return folder_ / "kweld.ini"; }
    fs::path Rules() const { return folder_ / "rules.json"; }
    fs::path folder_;
};

TEST_F(ListPrinterTest, DemoBaiduListPrintsMarkersTagsAndHighlightedTitles) {
    DemoServer demo;
    ASSERT_TRUE(demo.Start());
    ASSERT_TRUE(SetServiceBase(demo.Base()));

    const PrintedList plain = PrintList(SourceId::kBaidu, FetchBaidu, false, Settings());
    ASSERT_EQ(plain.status, 0) << plain.reason;
    const auto lines = Lines(plain.output);
    ASSERT_GT(lines.size(), 6u);
    EXPECT_EQ(lines[0],
              "rank\ttitle\ttag\tdesc\trank_marker\ttag_marker\ttitle_color\tchange\trules");
    const auto pinned = Fields(lines[1]);
    ASSERT_EQ(pinned.size(), 9u) << lines[1];
    EXPECT_EQ(pinned[0], "");   // a marker instead of the number
    EXPECT_EQ(pinned[4], "0");  // the pinned marker
    EXPECT_EQ(pinned[6], "FFBBBBBB");
    EXPECT_FALSE(pinned[3].empty());  // Baidu carries a description
    const auto fifth = Fields(lines[5]);
    EXPECT_EQ(fifth[0], "4");
    EXPECT_EQ(fifth[4], "-");

    // The keyword monitor of the settings file colours the matching title.
    SettingsFields fields;
    fields.keywordMonitorOn = true;
    fields.keywordText = Utf8ToLocal(pinned[1].substr(0, 6)) + Utf8ToLocal("，不存在的词");
    ASSERT_TRUE(SaveSettingsFile(fields, Settings()));
    const auto marked = Lines(PrintList(SourceId::kBaidu, FetchBaidu, false, Settings()).output);
    EXPECT_EQ(Fields(marked[1])[6], "FFFF8E17");

    const PrintedList json = PrintList(SourceId::kBaidu, FetchBaidu, true, Settings());
    EXPECT_EQ(json.output.rfind("[\n {\"rank\": \"\", \"title\": ", 0), 0u) << json.output;
    EXPECT_NE(json.output.find("\"title_color\": \"FFFF8E17\""), std::string::npos);
}

TEST_F(ListPrinterTest, ExitStatusTellsNoAnswerFromAnAnswerWithNothingToFill) {
    ASSERT_TRUE(SetServiceBase("http://127.0.0.1:" + std::to_string(test::ClosedPort())));
    const PrintedList none = PrintList(SourceId::kWeibo, FetchWeibo, false, Settings());
    EXPECT_EQ(none.status, 2);
    EXPECT_FALSE(none.reason.empty());
    EXPECT_EQ(Lines(none.output).size(), 1u);  // the header alone

    test::LoopbackServer html([](const std::string&) {
        return test::HttpReply("HTTP/1.1 200 OK", "<html><body>busy</body></html>");
    });
    ASSERT_TRUE(SetServiceBase(html.base()));
    const PrintedList empty = PrintList(SourceId::kWeibo, FetchWeibo, true, Settings());
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.output, "[]\n");
}

TEST_F(ListPrinterTest, TitlesCannotBreakTheJsonOrTheColumns) {
    // Backslashes, quotes and control characters inside a title, as a service may send them.
    const std::string title =
        Utf8ToLocal(std::string_view("C:\\热\\\"搜\"\r\n\t\x01"
                                     "end"));
    const FetchRoutine fetch = [&title] {
        return FetchResult{FetchStatus::kParsed, 1, {{title, "", "", ""}, {"b\\", "", "", ""}}};
    };
    const PrintedList json = PrintList(SourceId::kToutiao, fetch, true, Settings());
    ASSERT_EQ(json.status, 0) << json.reason;
    const nlohmann::json rows = nlohmann::json::parse(json.output);  // throws on invalid JSON
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["title"],
              "C:\\热\\\"搜\"\r\n\t\x01"
              "end");
    EXPECT_EQ(rows[1]["title"], "b\\");

    const auto lines = Lines(PrintList(SourceId::kToutiao, fetch, false, Settings()).output);
    ASSERT_EQ(lines.size(), 3u);
    const auto first = Fields(lines[1]);
    ASSERT_EQ(first.size(), 9u);
    EXPECT_EQ(first[1],
              "C:\\热\\\"搜\"   \x01"
              "end");
    EXPECT_EQ(Fields(lines[2])[1], "b\\");
}

TEST_F(ListPrinterTest, RowsNameTheRulesTheyMatchedInTheFilesOrder) {
    const FetchRoutine fetch = [] {
        return FetchResult{FetchStatus::kParsed,
                           1,
                           {{Utf8ToLocal("台风\"海葵\"登陆福建"), "", "", ""},
                            {Utf8ToLocal("暴雨预警"), "", "", ""},
                            {Utf8ToLocal("球赛直播"), "", "", ""}}};
    };
    testing::WriteFile(Rules(), R"({"rules": [
        {"name": "福建", "words": ["福建"], "color": "#00AA00"},
        {"name": "天气, 灾害", "words": ["台风", "暴雨"], "color": "#3399FF"},
        {"name": "仅抖音", "words": ["球赛"], "sources": ["douyin"]}]})");
    const auto lines = Lines(PrintList(SourceId::kToutiao, fetch, false, Settings()).output);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Fields(lines[1])[8], "福建, 天气, 灾害");
    EXPECT_EQ(Fields(lines[1])[6], "FF00AA00");  // the first rule's colour
    EXPECT_EQ(Fields(lines[2])[8], "天气, 灾害");
    EXPECT_EQ(Fields(lines[2])[6], "FF3399FF");
    EXPECT_EQ(Fields(lines[3])[8], "");
    EXPECT_EQ(Fields(lines[3])[6], "FFBBBBBB");

    const PrintedList json = PrintList(SourceId::kToutiao, fetch, true, Settings());
    const nlohmann::json rows = nlohmann::json::parse(json.output);
    EXPECT_EQ(rows[0]["rules"], nlohmann::json::array({"福建", "天气, 灾害"}));
    EXPECT_EQ(rows[2]["rules"], nlohmann::json::array());
    EXPECT_TRUE(json.rulesStatus.empty());

    // A broken file is kept aside, the rows match nothing and the printer says why.
    testing::WriteFile(Rules(), "{\"rules\": [{\"name\": \"a\", \"regex\": \"(\"}]}");
    const PrintedList broken = PrintList(SourceId::kToutiao, fetch, true, Settings());
    EXPECT_EQ(broken.status, 0);
    EXPECT_EQ(nlohmann::json::parse(broken.output)[0]["rules"], nlohmann::json::array());
    EXPECT_NE(broken.rulesStatus.find("rules.json.broken-"), std::string::npos)
        << broken.rulesStatus;
    EXPECT_NE(broken.rulesStatus.find("\"regex\" 在第 2 个字符处有误"), std::string::npos)
        << broken.rulesStatus;
    EXPECT_FALSE(fs::exists(Rules()));
}

TEST(SourceFromName, TakesNamesAndNumbersOnly) {
    EXPECT_EQ(SourceFromName("douyin"), SourceId::kDouyin);
    EXPECT_EQ(SourceFromName("2"), SourceId::kBaidu);
    EXPECT_EQ(SourceFromName("5"), std::nullopt);
    EXPECT_EQ(SourceFromName("Weibo"), std::nullopt);
}

}  // namespace
}  // namespace vantrel
