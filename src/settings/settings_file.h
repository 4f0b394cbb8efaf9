#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// The settings file holds exactly this many "|"-joined fields; extra ones are ignored.
inline constexpr int SETTINGS_FIELD_COUNT = 14;

// "请选择保存目录" (local text): the save folder until the user has chosen one.
inline constexpr std::string_view SAVE_DIRECTORY_PROMPT =
    "\xC7\xEB\xD1\xA1\xD4\xF1\xB1\xA3\xB4\xE6\xC4\xBF\xC2\xBC";

// The persistent part of AppState, one member per settings-file field in field order,
// with the values a first start uses. Texts are local text.
struct SettingsFields {
    int currentSource = 1;  // SourceId 1..4; a file may hold any other value, which selects nothing
    bool autoRefreshOn = false;
    int autoRefreshSeconds = 0;  // the refresh timer's period, whether or not the switch is on
    bool keywordMonitorOn = false;
    std::string keywordText;  // keywords separated by the full-width comma
    int opacity = 255;        // 0..255 as written; a hand-edited file may hold anything
    bool videoSoundOn = false;
    bool dockToEdge = false;
    bool autoSaveOn = false;
    std::string saveDirectory{SAVE_DIRECTORY_PROMPT};
    int autoSaveMinutes = 10;
    bool alwaysOnTop = false;
    bool taskbarMode = false;
    bool launchAtStartup = false;

    bool operator==(const SettingsFields&) const = default;
};

// Plain text-to-integer: optional blanks and sign, then digits up to the first other byte.
// No digits read as 0; values beyond int saturate.
int TextToInt(std::string_view text);

// $XDG_CONFIG_HOME when it is absolute, else ~/.config.
std::filesystem::path ConfigHome();
// $XDG_DATA_HOME when it is absolute, else ~/.local/share.
std::filesystem::path DataHome();

// SETTINGS_PATH: $XDG_CONFIG_HOME/vantrel/kweld.ini, else ~/.config/vantrel/kweld.ini.
// The environment is read at every call, so a test can point it at a folder of its own.
std::filesystem::path SettingsPath();

// The 14-field text: numbers in decimal, switches as "真"/"假", texts as they are except
// that a "|" becomes the full-width "｜" so it cannot shift the fields after it.
std::string FormatSettingsText(const SettingsFields& fields);

// Reads the 14-field text back: a switch is on only for exactly "真", a number that does
// not parse reads as 0, an empty save folder becomes SAVE_DIRECTORY_PROMPT.
// Fewer than 14 fields: std::nullopt (the text is damaged).
std::optional<SettingsFields> ParseSettingsText(std::string_view text);

enum class SettingsFileState {
    kMissing,  // no file: first start
    kDamaged,  // fewer than 14 fields; the file has been deleted
    kLoaded,
};

struct SettingsFileRead {
    SettingsFileState state = SettingsFileState::kMissing;
    SettingsFields fields;  // the defaults unless state is kLoaded
};

// Decrypts and parses the settings file. A damaged file is deleted here, so that the next
// start finds none; the caller then restores nothing and skips the rest of its start-up
// settings steps.
SettingsFileRead LoadSettingsFile(const std::filesystem::path& path = SettingsPath());

// Encrypts and writes the settings file, creating its folder. The old file stays whole if
// the write cannot complete. Returns whether the new file is in place.
bool SaveSettingsFile(const SettingsFields& fields,
                      const std::filesystem::path& path = SettingsPath());

}  // namespace vantrel
