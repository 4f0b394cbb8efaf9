#include "app/settings_apply.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "net/code_page.h"
#include "settings/encrypted_store.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

std::string L(const char* utf8) {
    return Utf8ToLocal(std::string_view(utf8));
}

// Each test gets its own config folder, so the real settings are never touched.
class SettingsApplyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vantrel-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("XDG_CONFIG_HOME", pattern, 1);
    }
    void TearDown() override { fs::remove_all(home_); }

    // Fourteen fields unless a test shortens them.
    static std::string Fields(const std::string& f0, const std::string& f1, const std::string& f2,
                              const std::string& f9 = "/tmp/out") {
        const std::string yes = L("真");
        const std::string no = L("假");
        return f0 + "|" + f1 + "|" + f2 + "|" + yes + "|" + L("苹果，香蕉") + "|200|" + yes + "|" +
               yes + "|" + yes + "|" + f9 + "|15|" + yes + "|" + yes + "|" + no;
    }

    void WriteFile(const std::string& text) {
        ASSERT_TRUE(StoreEncryptedText(SettingsPath(), text));
    }

    fs::path home_;
    AppState state;
};

TEST_F(SettingsApplyTest, SettingsPathFollowsTheConfigFolder) {
    EXPECT_EQ(SettingsPath(), home_ / "vantrel" / "kweld.ini");
}

TEST_F(SettingsApplyTest, MissingFileKeepsDefaultsSelectsWeiboAndStopsTimers) {
    const StartupPlan plan = LoadSettings(state);
    EXPECT_FALSE(plan.fileDeleted);
    EXPECT_EQ(plan.selectSource, SourceId::kWeibo);
    EXPECT_FALSE(plan.refreshIntervalMs);
    EXPECT_FALSE(plan.opacity);
    EXPECT_FALSE(plan.topMost);
    EXPECT_TRUE(plan.runTimerSteps);
    EXPECT_EQ(plan.edgeIntervalMs, 0);
    EXPECT_EQ(plan.autoSaveIntervalMs, 0);
    EXPECT_FALSE(plan.taskbarButton);  // the button is removed
    EXPECT_EQ(state.saveDirectory, std::string(SAVE_DIRECTORY_PROMPT));
    EXPECT_EQ(state.autoSaveMinutes, 10);
    EXPECT_EQ(state.opacity, 255);
}

TEST_F(SettingsApplyTest, ThirteenFieldsDeleteTheFileAndSkipTheTimerSteps) {
    std::string text = Fields("2", L("真"), "60");
    text = text.substr(0, text.rfind('|'));  // drop the last field
    WriteFile(text);
    const StartupPlan plan = LoadSettings(state);
    EXPECT_TRUE(plan.fileDeleted);
    EXPECT_FALSE(fs::exists(SettingsPath()));
    EXPECT_EQ(plan.selectSource, SourceId::kWeibo);
    EXPECT_FALSE(plan.runTimerSteps);
    EXPECT_FALSE(state.keywordMonitorOn);  // nothing restored
    EXPECT_FALSE(state.dockToEdge);
}

TEST_F(SettingsApplyTest, FullFileRestoresEveryFieldAndPlansTheWindow) {
    WriteFile(Fields("3", L("真"), "45"));
    const StartupPlan plan = LoadSettings(state);
    EXPECT_EQ(plan.selectSource, SourceId::kToutiao);
    EXPECT_EQ(plan.refreshIntervalMs, 45000);
    EXPECT_EQ(plan.opacity, 200);
    EXPECT_EQ(plan.topMost, true);
    EXPECT_TRUE(plan.runTimerSteps);
    EXPECT_EQ(plan.edgeIntervalMs, 10);
    EXPECT_EQ(plan.autoSaveIntervalMs, 15 * 60000);
    EXPECT_TRUE(plan.taskbarButton);
    EXPECT_TRUE(state.autoRefreshOn);
    EXPECT_EQ(state.autoRefreshSeconds, 45);
    EXPECT_TRUE(state.keywordMonitorOn);
    EXPECT_EQ(state.keywordText, L("苹果，香蕉"));
    EXPECT_TRUE(state.videoSoundOn);
    EXPECT_EQ(state.saveDirectory, "/tmp/out");
    EXPECT_FALSE(state.launchAtStartup);
    // The source itself is made current by the selection the window runs.
    EXPECT_EQ(state.currentSource, SourceId::kNone);
}

TEST_F(SettingsApplyTest, StoredPeriodSetsTheRefreshTimerEvenWithRefreshOff) {
    WriteFile(Fields("1", L("假"), "45"));
    const StartupPlan plan = LoadSettings(state);
    EXPECT_FALSE(state.autoRefreshOn);
    EXPECT_EQ(plan.refreshIntervalMs, 45000);
}

TEST_F(SettingsApplyTest, SourceOutsideOneToFourSelectsNothing) {
    for (const char* field0 : {"0", "5", "x", ""}) {
        WriteFile(Fields(field0, L("假"), "0"));
        AppState fresh;
        EXPECT_EQ(LoadSettings(fresh).selectSource, SourceId::kNone) << field0;
    }
}

TEST_F(SettingsApplyTest, EmptyFolderBecomesThePromptText) {
    WriteFile(Fields("1", L("假"), "0", ""));
    LoadSettings(state);
    EXPECT_EQ(state.saveDirectory, std::string(SAVE_DIRECTORY_PROMPT));
}

TEST_F(SettingsApplyTest, OutOfRangeNumbersGiveUsableTimersAndOpacity) {
    std::string text = Fields("1", L("假"), "-5");
    text.replace(text.find("|200|"), 5, "|999|");
    text.replace(text.find("|15|"), 4, "|99999999|");
    WriteFile(text);
    const StartupPlan plan = LoadSettings(state);
    EXPECT_EQ(plan.refreshIntervalMs, 0);
    EXPECT_EQ(plan.opacity, 255);
    EXPECT_EQ(plan.autoSaveIntervalMs, 2147483647);
}

TEST_F(SettingsApplyTest, BarsInTextsCannotShiftTheFieldsAfterThem) {
    state.keywordText = L("甲|乙，丙");
    state.opacity = 127;
    state.saveDirectory = "/tmp/a|b";
    state.autoSaveMinutes = 3;
    ASSERT_TRUE(SaveSettings(state));

    AppState loaded;
    LoadSettings(loaded);
    EXPECT_EQ(loaded.keywordText, L("甲｜乙，丙"));
    EXPECT_EQ(loaded.opacity, 127);
    EXPECT_EQ(loaded.saveDirectory, L("/tmp/a｜b"));
    EXPECT_EQ(loaded.autoSaveMinutes, 3);
}

// What a save followed by a start-up load gives back, as the file's fields.
SettingsFields Reloaded(const AppState& saved) {
    EXPECT_TRUE(SaveSettings(saved));
    AppState loaded;
    loaded.currentSource = LoadSettings(loaded).selectSource;
    return loaded;
}

TEST_F(SettingsApplyTest, EveryFieldSurvivesSaveAndLoadAwayFromItsDefault) {
    AppState all;
    all.currentSource = SourceId::kToutiao;
    all.autoRefreshOn = true;
    all.autoRefreshSeconds = 75;
    all.keywordMonitorOn = true;
    all.keywordText = L("甲，乙");
    all.opacity = 90;
    all.videoSoundOn = true;
    all.dockToEdge = true;
    all.autoSaveOn = true;
    all.saveDirectory = L("/tmp/导出");
    all.autoSaveMinutes = 7;
    all.alwaysOnTop = true;
    all.taskbarMode = true;
    all.launchAtStartup = true;
    EXPECT_EQ(Reloaded(all), SettingsFields(all));

    // Each switch alone, so that two switches cannot trade fields unseen.
    for (bool AppState::*member :
         {&AppState::autoRefreshOn, &AppState::keywordMonitorOn, &AppState::videoSoundOn,
          &AppState::dockToEdge, &AppState::autoSaveOn, &AppState::alwaysOnTop,
          &AppState::taskbarMode, &AppState::launchAtStartup}) {
        AppState one;
        one.currentSource = SourceId::kBaidu;
        one.*member = true;
        EXPECT_EQ(Reloaded(one), SettingsFields(one));
    }

    // A text ending in a lone lead byte loses that byte, not the separator after it.
    AppState cut = all;
    cut.keywordText = L("甲") + "\x81";
    cut.saveDirectory = "/tmp/d\x81";
    SettingsFields expected = all;
    expected.keywordText = L("甲");
    expected.saveDirectory = "/tmp/d";
    EXPECT_EQ(Reloaded(cut), expected);
}

}  // namespace
}  // namespace vantrel
