#include "history/retention_file.h"

#include <gtest/gtest.h>

#include "settings/temp_folder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

TEST(RetentionFile, SitsBesideTheSettingsAndRoundTrips) {
    testing::TempFolder folder;
    EXPECT_EQ(RetentionPath(folder.path() / "vantrel" / "kweld.ini"),
              folder.path() / "vantrel" / "history.json");
    const fs::path path = RetentionPath(folder.path() / "vantrel" / "kweld.ini");

    // No file: the default, nothing to say.
    RetentionLoad load = LoadRetention(path);
    EXPECT_EQ(load.days, DEFAULT_HISTORY_DAYS);
    EXPECT_EQ(load.problem, "");

    for (int days : {MIN_HISTORY_DAYS, 7, MAX_HISTORY_DAYS}) {
        ASSERT_TRUE(SaveRetention(days, path)) << days;
        load = LoadRetention(path);
        EXPECT_EQ(load.days, days);
        EXPECT_EQ(load.problem, "");
    }
    EXPECT_EQ(testing::ReadFile(path), "{\"keep_days\": 365}\n");
    // Out of range is never written: the file keeps the last good number.
    EXPECT_FALSE(SaveRetention(0, path));
    EXPECT_FALSE(SaveRetention(MAX_HISTORY_DAYS + 1, path));
    EXPECT_EQ(LoadRetention(path).days, MAX_HISTORY_DAYS);
    // A folder that cannot take the file.
    testing::WriteFile(folder.path() / "plain", "x");
    EXPECT_FALSE(SaveRetention(5, folder.path() / "plain" / "history.json"));
}

TEST(RetentionFile, AnythingButOneWholeNumberInRangeGivesTheDefaultAndSaysWhy) {
    testing::TempFolder folder;
    const fs::path path = folder.path() / "history.json";
    struct Case {
        const char* text;
        const char* why;  // a part of the problem
    };
    for (const Case& bad : {
             Case{"", "第 1 行"},
             Case{"{\"keep_days\": 7", "第 1 行"},
             Case{"{\"keep_days\": \"7\"}", "整数"},
             Case{"{\"keep_days\": 7.5}", "整数"},
             Case{"{\"keep_days\": 0}", "1–365"},
             Case{"{\"keep_days\": 366}", "1–365"},
             Case{"{\"keep_days\": -3}", "整数"},
             Case{"{\"keep_days\": 7, \"extra\": 1}", "keep_days"},
             Case{"{\"days\": 7}", "keep_days"},
             Case{"[7]", "keep_days"},
             Case{"{\"keep_days\": 7} x", "第 1 行"},
         }) {
        testing::WriteFile(path, bad.text);
        const RetentionLoad load = LoadRetention(path);
        EXPECT_EQ(load.days, DEFAULT_HISTORY_DAYS) << bad.text;
        EXPECT_NE(load.problem.find(bad.why), std::string::npos)
            << bad.text << ": " << load.problem;
        EXPECT_NE(load.problem.find("history.json"), std::string::npos);
        // Left where it is for the person who wrote it.
        EXPECT_EQ(testing::ReadFile(path), bad.text);
    }
    testing::WriteFile(path, std::string(5000, ' ') + "{\"keep_days\": 7}");
    EXPECT_EQ(LoadRetention(path).days, DEFAULT_HISTORY_DAYS);
    // Blanks and a byte-order mark are fine.
    testing::WriteFile(path, "\xEF\xBB\xBF {\n  \"keep_days\" : 12\n}\n");
    EXPECT_EQ(LoadRetention(path).days, 12);
}

}  // namespace
}  // namespace vantrel
