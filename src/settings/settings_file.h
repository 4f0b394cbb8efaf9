#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_fields.h"

namespace vantrel {

// SETTINGS_PATH: $XDG_CONFIG_HOME/vantrel/kweld.ini, else ~/.config/vantrel/kweld.ini.
// The environment is read at every call, so a test can point it at a folder of its own.
std::filesystem::path SettingsPath();

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
