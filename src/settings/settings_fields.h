#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "model/source_id.h"

namespace vantrel {

// The settings file holds exactly this many "|"-joined fields; extra ones are ignored.
inline constexpr int SETTINGS_FIELD_COUNT = 14;

// "请选择保存目录" (local text): the save folder until the user has chosen one.
inline constexpr std::string_view SAVE_DIRECTORY_PROMPT =
    "\xC7\xEB\xD1\xA1\xD4\xF1\xB1\xA3\xB4\xE6\xC4\xBF\xC2\xBC";

// The persistent settings, one member per settings-file field. Every member
// is declared with its field, type, default and range in SETTINGS below; a
// new SettingsFields holds the defaults, the values a first start uses.
// Texts are local text.
struct SettingsFields {
    SettingsFields();

    SourceId currentSource;  // a file may hold any number; only 1..4 selects a list
    bool autoRefreshOn;
    int autoRefreshSeconds;  // the refresh timer's period, whether or not the switch is on
    bool keywordMonitorOn;
    std::string keywordText;  // keywords separated by the full-width comma
    int opacity;              // 0..255 as written; a hand-edited file may hold anything
    bool videoSoundOn;
    bool dockToEdge;
    bool autoSaveOn;
    std::string saveDirectory;
    int autoSaveMinutes;
    bool alwaysOnTop;
    bool taskbarMode;
    bool launchAtStartup;

    bool operator==(const SettingsFields&) const = default;
};

// How a setting is written in the file: numbers in decimal, switches as
// "真"/"假", texts as they are but for "|", sources as their number.
enum class SettingType { kNumber, kSwitch, kText, kSource };

struct SettingSpec {
    std::string_view name;  // as the settings window and messages call it
    int field;              // its place in the file, from 0
    SettingType type;
    // The member it lives in: the one that matches `type`.
    int SettingsFields::*number = nullptr;
    bool SettingsFields::*on = nullptr;
    std::string SettingsFields::*text = nullptr;
    SourceId SettingsFields::*source = nullptr;
    std::int64_t defaultValue = 0;   // numbers, switches (1 on) and sources
    std::string_view defaultText{};  // texts; an empty field also reads as this
    // What start-up takes from the file: numbers clamped to [low, high].
    // The source is not restored but selected, which fetches its list.
    int low = std::numeric_limits<int>::min();
    int high = std::numeric_limits<int>::max();
    bool restored = true;
};

inline constexpr std::array<SettingSpec, SETTINGS_FIELD_COUNT> SETTINGS{{
    {.name = "source",
     .field = 0,
     .type = SettingType::kSource,
     .source = &SettingsFields::currentSource,
     .defaultValue = 1,
     .restored = false},
    {.name = "auto refresh",
     .field = 1,
     .type = SettingType::kSwitch,
     .on = &SettingsFields::autoRefreshOn},
    {.name = "refresh seconds",
     .field = 2,
     .type = SettingType::kNumber,
     .number = &SettingsFields::autoRefreshSeconds},
    {.name = "keyword monitor",
     .field = 3,
     .type = SettingType::kSwitch,
     .on = &SettingsFields::keywordMonitorOn},
    {.name = "keywords",
     .field = 4,
     .type = SettingType::kText,
     .text = &SettingsFields::keywordText},
    {.name = "opacity",
     .field = 5,
     .type = SettingType::kNumber,
     .number = &SettingsFields::opacity,
     .defaultValue = 255,
     .low = 0,
     .high = 255},
    {.name = "video sound",
     .field = 6,
     .type = SettingType::kSwitch,
     .on = &SettingsFields::videoSoundOn},
    {.name = "dock to edge",
     .field = 7,
     .type = SettingType::kSwitch,
     .on = &SettingsFields::dockToEdge},
    {.name = "auto save",
     .field = 8,
     .type = SettingType::kSwitch,
     .on = &SettingsFields::autoSaveOn},
    {.name = "save folder",
     .field = 9,
     .type = SettingType::kText,
     .text = &SettingsFields::saveDirectory,
     .defaultText = SAVE_DIRECTORY_PROMPT},
    {.name = "save minutes",
     .field = 10,
     .type = SettingType::kNumber,
     .number = &SettingsFields::autoSaveMinutes,
     .defaultValue = 10},
    {.name = "always on top",
     .field = 11,
     .type = SettingType::kSwitch,
     .on = &SettingsFields::alwaysOnTop},
    {.name = "taskbar button",
     .field = 12,
     .type = SettingType::kSwitch,
     .on = &SettingsFields::taskbarMode},
    {.name = "start with login",
     .field = 13,
     .type = SettingType::kSwitch,
     .on = &SettingsFields::launchAtStartup},
}};

// The table is read in file order.
constexpr bool SettingsInFieldOrder() {
    for (int i = 0; i < SETTINGS_FIELD_COUNT; ++i)
        if (SETTINGS[i].field != i) return false;
    return true;
}
static_assert(SettingsInFieldOrder());

// Takes what start-up restores from `read` into `into`, numbers clamped to
// their range and an empty text read as its default.
void RestoreSettings(SettingsFields& into, const SettingsFields& read);

// A timer interval in milliseconds for a count of units (seconds: 1000, minutes:
// 60000): negative counts stop the timer, and no count overflows an int.
int TimerInterval(std::int64_t count, std::int64_t unitMs);

// Plain text-to-integer: optional blanks and sign, then digits up to the first other byte.
// No digits read as 0; values beyond int saturate.
int TextToInt(std::string_view text);

// The 14-field text: numbers in decimal, switches as "真"/"假", texts as they are except
// that a "|" becomes the full-width "｜" so it cannot shift the fields after it.
std::string FormatSettingsText(const SettingsFields& fields);

// Reads the 14-field text back: a switch is on only for exactly "真", a number that does
// not parse reads as 0, an empty text reads as its default (the save folder prompt).
// Fewer than 14 fields: std::nullopt (the text is damaged).
std::optional<SettingsFields> ParseSettingsText(std::string_view text);

}  // namespace vantrel
