#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "rules/keyword_rule.h"
#include "settings/settings_file.h"

namespace vantrel {

// rules.json beside the settings file: $XDG_CONFIG_HOME/vantrel/rules.json, else
// ~/.config/vantrel/rules.json; the environment is read at every call.
std::filesystem::path RulesPath(const std::filesystem::path& settingsPath = SettingsPath());

// The rules a UTF-8 text holds, or nothing and, in problem, what is wrong and
// where (UTF-8, one line). All or nothing: a text with one bad rule gives none.
std::optional<RulesFile> ParseRulesText(std::string_view utf8, std::string& problem);

// The text SaveRulesFile writes: indented JSON that ParseRulesText reads back as it was.
std::string FormatRulesText(const RulesFile& rules);

struct RulesLoad {
    enum class State {
        kMissing,  // no file: no rules, nothing to say
        kLoaded,
        kBroken,  // the file could not be used: no rules; see problem and keptAs
    };
    State state = State::kMissing;
    RulesFile rules;
    std::string problem;           // UTF-8: why the file could not be used
    std::filesystem::path keptAs;  // where it was moved; empty when it could not be
    std::string Status() const;    // UTF-8: one line for the window and standard error
};

// Reads the rules file. A file that cannot be used is renamed aside, byte for
// byte, to "rules.json.broken-YYYYmmdd-HHMMSS" (local time of `now`; "-2",
// "-3" ... when that name is taken), so that no later save overwrites it.
RulesLoad LoadRulesFile(
    const std::filesystem::path& path = RulesPath(),
    std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// Writes the rules atomically. A file in the way that cannot be read as rules
// (a hand edit gone wrong since the program read it) is first kept aside as
// LoadRulesFile keeps it. Returns whether the new file is in place.
bool SaveRulesFile(const RulesFile& rules, const std::filesystem::path& path = RulesPath(),
                   std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

}  // namespace vantrel
