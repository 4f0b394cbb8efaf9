#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include "settings/encrypted_store.h"
#include "settings/temp_folder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

const std::string kTrue = "\xD5\xE6";   // 真
const std::string kFalse = "\xBC\xD9";  // 假
const std::string kPrompt(SAVE_DIRECTORY_PROMPT);

std::string Join(std::initializer_list<std::string> fields) {
    std::string text;
    for (const std::string& f : fields)
        text += f + "|";
    text.pop_back();
    return text;
}

SettingsFields Changed() {
    SettingsFields f;
    f.currentSource = SourceId::kDouyin;
    f.autoRefreshOn = true;
    f.autoRefreshSeconds = 45;
    f.keywordMonitorOn = true;
    f.keywordText = "\xC8\xC8\xA3\xAC\xCB\xD1";  // 热，搜
    f.opacity = 127;
    f.videoSoundOn = true;
    f.dockToEdge = true;
    f.autoSaveOn = true;
    f.saveDirectory = "/home/u/\xB1\xA3\xB4\xE6";  // .../保存
    f.autoSaveMinutes = 3;
    f.alwaysOnTop = true;
    f.taskbarMode = true;
    f.launchAtStartup = true;
    return f;
}

TEST(SettingsText, DefaultsFormatAsTheFirstStartFile) {
    EXPECT_EQ(FormatSettingsText({}), Join({"1", kFalse, "0", kFalse, "", "255", kFalse, kFalse,
                                            kFalse, kPrompt, "10", kFalse, kFalse, kFalse}));
}

TEST(SettingsText, RoundTripsEveryField) {
    SettingsFields f = Changed();
    std::optional<SettingsFields> back = ParseSettingsText(FormatSettingsText(f));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, f);
    // Each switch on its own lands in its own field.
    bool SettingsFields::*switches[] = {
        &SettingsFields::autoRefreshOn, &SettingsFields::keywordMonitorOn,
        &SettingsFields::videoSoundOn,  &SettingsFields::dockToEdge,
        &SettingsFields::autoSaveOn,    &SettingsFields::alwaysOnTop,
        &SettingsFields::taskbarMode,   &SettingsFields::launchAtStartup};
    for (auto member : switches) {
        SettingsFields one;
        one.*member = true;
        EXPECT_EQ(ParseSettingsText(FormatSettingsText(one)), one);
    }
}

TEST(SettingsText, BarsInTextsCannotShiftTheFields) {
    SettingsFields f = Changed();
    f.keywordText = "a|b|";
    f.saveDirectory = "|x";
    std::string text = FormatSettingsText(f);
    EXPECT_NE(text.find("a\xA3\xFC"
                        "b\xA3\xFC|"),
              std::string::npos);
    std::optional<SettingsFields> back = ParseSettingsText(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->keywordText,
              "a\xA3\xFC"
              "b\xA3\xFC");
    EXPECT_EQ(back->saveDirectory, "\xA3\xFCx");
    EXPECT_EQ(back->opacity, 127);
    EXPECT_TRUE(back->launchAtStartup);
}

TEST(SettingsText, MultibyteCharactersStayWhole) {
    SettingsFields f;
    // 亅 (81 7C) carries the byte of "|" as its second byte; the emoji is four bytes.
    f.keywordText = "\x81\x7C\xA3\xAC\x94\x39\xFC\x36";
    f.saveDirectory = "\x81\x7C";
    EXPECT_EQ(ParseSettingsText(FormatSettingsText(f)), f);

    // A lone lead byte at the end would swallow the separator after it; it is dropped.
    f.keywordText = "ab\xC8";
    f.saveDirectory = std::string("d\0ropped", 8);
    std::optional<SettingsFields> back = ParseSettingsText(FormatSettingsText(f));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->keywordText, "ab");
    EXPECT_EQ(back->saveDirectory, "d");
    EXPECT_EQ(back->autoSaveMinutes, 10);
}

TEST(SettingsText, ReadingRules) {
    // Only exactly 真 is true; numbers read like a plain text-to-integer conversion.
    std::optional<SettingsFields> f =
        ParseSettingsText(Join({"+3", kTrue + " ", "45abc", "1", "kw", "x", "true", kTrue, kFalse,
                                "", " -7", kTrue, kFalse, kTrue, "extra", "fields"}));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->currentSource, SourceId::kToutiao);
    EXPECT_FALSE(f->autoRefreshOn);
    EXPECT_EQ(f->autoRefreshSeconds, 45);
    EXPECT_FALSE(f->keywordMonitorOn);
    EXPECT_EQ(f->keywordText, "kw");
    EXPECT_EQ(f->opacity, 0);
    EXPECT_FALSE(f->videoSoundOn);
    EXPECT_TRUE(f->dockToEdge);
    EXPECT_FALSE(f->autoSaveOn);
    EXPECT_EQ(f->saveDirectory, kPrompt);
    EXPECT_EQ(f->autoSaveMinutes, -7);
    EXPECT_TRUE(f->alwaysOnTop);
    EXPECT_FALSE(f->taskbarMode);
    EXPECT_TRUE(f->launchAtStartup);

    std::string huge = Join({"99999999999999999999", kFalse, "-99999999999", kFalse, "", "255",
                             kFalse, kFalse, kFalse, "d", "10", kFalse, kFalse, kFalse});
    f = ParseSettingsText(huge);
    ASSERT_TRUE(f);
    EXPECT_EQ(static_cast<int>(f->currentSource), INT32_MAX);
    EXPECT_EQ(f->autoRefreshSeconds, INT32_MIN);
}

TEST(SettingsText, FewerThanFourteenFieldsIsDamaged) {
    std::string full = FormatSettingsText({});
    EXPECT_FALSE(ParseSettingsText(full.substr(0, full.rfind('|'))));
    // An empty last field is no field, as in every split of local text.
    EXPECT_FALSE(ParseSettingsText(full.substr(0, full.rfind('|') + 1)));
    EXPECT_FALSE(ParseSettingsText(""));
    EXPECT_TRUE(ParseSettingsText(full + "|"));
}

// Each test changes the environment only through this, and puts it back afterwards.
class SettingsPathTest : public ::testing::Test {
  protected:
    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    void TearDown() override {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            it->second ? setenv(it->first, it->second->c_str(), 1) : unsetenv(it->first);
    }

  private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(SettingsPathTest, FollowsTheUsersConfigFolder) {
    Set("HOME", "/home/someone");
    Set("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(SettingsPath(), fs::path("/cfg/vantrel/kweld.ini"));
    for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/cfg"}) {
        Set("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(SettingsPath(), fs::path("/home/someone/.config/vantrel/kweld.ini"));
    }
}

TEST_F(SettingsPathTest, WithoutHomeTheAccountsFolderStillGivesAnAbsolutePath) {
    Set("XDG_CONFIG_HOME", nullptr);
    for (const char* home : {"", "relative/home"}) {
        Set("HOME", home);
        EXPECT_TRUE(SettingsPath().is_absolute()) << SettingsPath();
        EXPECT_EQ(SettingsPath().filename(), "kweld.ini");
    }
}

TEST_F(SettingsPathTest, SaveAndLoadThroughTheDefaultPath) {
    TempFolder dir;
    Set("XDG_CONFIG_HOME", dir.path().c_str());
    fs::path file = dir.path() / "vantrel" / "kweld.ini";

    EXPECT_EQ(LoadSettingsFile().state, SettingsFileState::kMissing);
    EXPECT_EQ(LoadSettingsFile().fields, SettingsFields{});

    ASSERT_TRUE(SaveSettingsFile(Changed()));  // creates the vantrel folder
    EXPECT_EQ(LoadEncryptedText(file), FormatSettingsText(Changed()));
    SettingsFileRead read = LoadSettingsFile();
    EXPECT_EQ(read.state, SettingsFileState::kLoaded);
    EXPECT_EQ(read.fields, Changed());
}

TEST(SettingsFile, DamagedFileIsDeleted) {
    TempFolder dir;
    fs::path file = dir.path() / "kweld.ini";
    std::string full = FormatSettingsText(Changed());
    ASSERT_TRUE(StoreEncryptedText(file, full.substr(0, full.rfind('|'))));  // 13 fields
    SettingsFileRead read = LoadSettingsFile(file);
    EXPECT_EQ(read.state, SettingsFileState::kDamaged);
    EXPECT_EQ(read.fields, SettingsFields{});
    EXPECT_FALSE(fs::exists(file));

    testing::WriteFile(file, "not encrypted at all");  // decrypts to nothing
    EXPECT_EQ(LoadSettingsFile(file).state, SettingsFileState::kDamaged);
    EXPECT_FALSE(fs::exists(file));
}

}  // namespace
}  // namespace vantrel
