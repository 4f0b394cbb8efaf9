#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "app/app_state.h"
#include "settings/settings_file.h"

namespace vantrel {

// What the main window must do at start-up once the settings file has been
// read into AppState. Timer intervals are in milliseconds, 0 stops a timer.
struct StartupPlan {
    bool fileDeleted = false;  // the file was too short to use and is gone
    // "时钟_自动更新": set from the stored period alone, even with refresh off.
    std::optional<int> refreshIntervalMs;
    std::optional<int> opacity;  // apply to the frame, the source buttons, the second list
    SourceId selectSource = SourceId::kWeibo;  // select and fetch; kNone: neither
    std::optional<bool> topMost;               // SetTopMost(main window, value)
    // The edge timer, export timer and taskbar steps; skipped after a short file.
    bool runTimerSteps = true;
    int edgeIntervalMs = 0;      // "时钟_靠边": 10 while docking
    int autoSaveIntervalMs = 0;  // "时钟_自动保存": minutes x 60000 while on
    bool taskbarButton = false;  // add (true) or remove (false) the taskbar button
};

inline constexpr int EDGE_TIMER_MS = 10;

// "时钟_自动保存": autoSaveMinutes x 60000 while auto-save is on, else 0.
int AutoSaveIntervalMs(const AppState& state);

// Restores AppState from what was read of the settings file and says what
// the window must do. A missing or damaged file leaves the defaults.
StartupPlan PlanStartup(AppState& state, const SettingsFileRead& read);

// Reads (and, when damaged, deletes) the settings file, then plans as above.
StartupPlan LoadSettings(AppState& state, const std::filesystem::path& path = SettingsPath());

// Writes the settings file; a "|" in a text field is stored as "｜". Then
// sweeps dead icons out of the notification area. Returns whether the file
// is in place.
bool SaveSettings(const AppState& state, const std::filesystem::path& path = SettingsPath());

}  // namespace vantrel
