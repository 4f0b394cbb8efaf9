#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "history/history_store.h"
#include "settings/settings_file.h"

namespace vantrel {

// How many days of lists the history keeps.
inline constexpr int MIN_HISTORY_DAYS = 1;
inline constexpr int MAX_HISTORY_DAYS = 365;

// history.json beside the settings file, which keeps its 14 fields as they are.
std::filesystem::path RetentionPath(const std::filesystem::path& settingsPath = SettingsPath());

// `{"keep_days": N}` with N a whole number of days in the range above and no
// other member; nothing and, in problem, why (UTF-8) for anything else.
std::optional<int> ParseRetentionText(std::string_view utf8, std::string& problem);
std::string FormatRetentionText(int days);

struct RetentionLoad {
    int days = DEFAULT_HISTORY_DAYS;
    // UTF-8, one line: why the file was not used and the default was; empty
    // when the file was read or there is none.
    std::string problem;
};

// A missing or unusable file gives the default. A bad file is left where it
// is, so a hand edit is not lost until the user picks a number again.
RetentionLoad LoadRetention(const std::filesystem::path& path = RetentionPath());

// Writes the file atomically; false for days out of range or a failed write.
bool SaveRetention(int days, const std::filesystem::path& path = RetentionPath());

}  // namespace vantrel
