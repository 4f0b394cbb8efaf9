#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "settings/temp_folder.h"
#include "support/loopback_server.h"
#include "support/x_session.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = VANTREL_BINARY_DIR "/vantrel";

// Toutiao's word list: every request gets it, the documented one reads it.
std::string Words(const std::vector<std::string>& titles) {
    std::string body = R"({"data":[{"words":[)";
    for (size_t i = 0; i < titles.size(); ++i)
        body += (i ? "," : "") + std::string(R"({"word":")") + titles[i] + R"(","id":"1"})";
    return body + "]}]}";
}

std::vector<std::vector<std::string>> Table(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');)
            fields.push_back(cell);
        if (!line.empty() && line.back() == '\t') fields.emplace_back();
        rows.push_back(fields);
    }
    return rows;
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class HistoryProgram : public ::testing::Test {
  protected:
    testing::TempFolder folder_;
    std::atomic<int> round_{0};
    test::LoopbackServer server_{[this](const std::string&) {
        return test::HttpReply("HTTP/1.1 200 OK", round_ == 0
                                                      ? Words({"甲", "乙", "丙", "丁", "戊"})
                                                      : Words({"乙", "甲", "丙", "己", "丁"}));
    }};

    // Runs the program with its data and settings in the temporary folder;
    // standard error goes to `err` when given.
    std::string Run(const std::string& arguments, int* status, std::string* err = nullptr,
                    const fs::path& data = {}) {
        const fs::path errFile = folder_.path() / "stderr.txt";
        const std::string out = test::ShellOutput(
            "XDG_CONFIG_HOME='" + (folder_.path() / "config").string() + "' XDG_DATA_HOME='" +
                (data.empty() ? folder_.path() / "data" : data).string() + "' " + kProgram +
                " --service-base " + server_.base() + " " + arguments + " 2>'" + errFile.string() +
                "'",
            status);
        if (err) *err = ReadText(errFile);
        return out;
    }
};

TEST_F(HistoryProgram, ChangeColumnHistoryAndStoredListFollowTheStoredFetches) {
    int status = -1;
    std::string err;
    Run("--print toutiao --stored", &status);
    EXPECT_EQ(status, 1) << "nothing is stored yet";
    Run("--history toutiao", &status);
    EXPECT_EQ(status, 1);

    const std::string first = Run("--print toutiao", &status);
    ASSERT_EQ(status, 0);
    const auto firstRows = Table(first);
    ASSERT_EQ(firstRows.size(), 6u) << first;
    EXPECT_EQ(firstRows[0][7], "change");
    for (size_t row = 1; row < firstRows.size(); ++row)
        EXPECT_EQ(firstRows[row][7], "") << "nothing stored before: " << row;

    // A store that cannot be made (its folder is a file) changes nothing but stderr.
    std::ofstream(folder_.path() / "blocker") << "x";
    EXPECT_EQ(Run("--print toutiao", &status, &err, folder_.path() / "blocker"), first);
    EXPECT_EQ(status, 0);
    EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 1) << err;

    round_ = 1;
    const std::string second = Run("--print toutiao", &status);
    ASSERT_EQ(status, 0);
    const auto rows = Table(second);
    ASSERT_EQ(rows.size(), 6u) << second;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"乙", "+1"}, {"甲", "-1"}, {"丙", ""}, {"己", "new"}, {"丁", "-1"}};
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(rows[i + 1].size(), 9u) << second;
        EXPECT_EQ(rows[i + 1][1], expected[i].first);
        EXPECT_EQ(rows[i + 1][7], expected[i].second) << expected[i].first;
    }
    const std::string json = Run("--print toutiao --format json", &status);
    EXPECT_NE(json.find(R"("title": "己")"), std::string::npos) << json;
    std::size_t unchanged = 0;
    for (auto at = json.find(R"("change": "")"); at != std::string::npos;
         at = json.find(R"("change": "")", at + 1))
        ++unchanged;
    EXPECT_EQ(unchanged, 5u) << "the same list again: " << json;

    // Three stored lists: 甲乙丙丁戊, 乙甲丙己丁, 乙甲丙己丁.
    const auto history = Table(Run("--history toutiao --since 90m", &status));
    EXPECT_EQ(status, 0);
    ASSERT_EQ(history.size(), 7u);
    EXPECT_EQ(history[0], (std::vector<std::string>{"title", "first_seen", "last_seen", "best_rank",
                                                    "latest_rank", "appearances"}));
    const std::regex utc(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
    std::map<std::string, std::string> standing;  // best, latest, appearances
    for (size_t i = 1; i < history.size(); ++i) {
        ASSERT_EQ(history[i].size(), 6u);
        EXPECT_TRUE(std::regex_match(history[i][1], utc)) << history[i][1];
        EXPECT_TRUE(std::regex_match(history[i][2], utc)) << history[i][2];
        standing[history[i][0]] = history[i][3] + " " + history[i][4] + " " + history[i][5];
    }
    EXPECT_EQ(standing, (std::map<std::string, std::string>{{"甲", "1 2 3"},
                                                            {"乙", "1 1 3"},
                                                            {"丙", "3 3 3"},
                                                            {"丁", "4 5 3"},
                                                            {"戊", "5 5 1"},
                                                            {"己", "4 4 2"}}));
    Run("--history toutiao --since 1x", &status);
    EXPECT_EQ(status, 2);
    Run("--history baidu --since 7d", &status);
    EXPECT_EQ(status, 1);

    // The last stored list, no request: the server's answers are not needed.
    round_ = 0;
    const std::string stored = Run("--print toutiao --stored", &status, &err);
    EXPECT_EQ(status, 0);
    const auto storedRows = Table(stored);
    ASSERT_EQ(storedRows.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        auto row = rows[i];
        if (i > 0) row[7] = "";  // no change for a stored list
        EXPECT_EQ(storedRows[i], row) << i;
    }
    EXPECT_TRUE(std::regex_match(err, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ\n)"))) << err;
}

}  // namespace
}  // namespace vantrel
