#include "app/settings_apply.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "desktop/tray_sweep.h"

namespace vantrel {

namespace {

void Restore(AppState& state, const SettingsFields& f) {
    state.autoRefreshOn = f.autoRefreshOn;
    state.autoRefreshSeconds = f.autoRefreshSeconds;
    state.keywordMonitorOn = f.keywordMonitorOn;
    state.keywordText = f.keywordText;
    state.opacity = std::clamp(f.opacity, 0, 255);
    state.videoSoundOn = f.videoSoundOn;
    state.dockToEdge = f.dockToEdge;
    state.autoSaveOn = f.autoSaveOn;
    state.saveDirectory =
        f.saveDirectory.empty() ? std::string(SAVE_DIRECTORY_PROMPT) : f.saveDirectory;
    state.autoSaveMinutes = f.autoSaveMinutes;
    state.alwaysOnTop = f.alwaysOnTop;
    state.taskbarMode = f.taskbarMode;
    state.launchAtStartup = f.launchAtStartup;
}

}  // namespace

// A hand-edited file may hold periods that would overflow an int, or negative
// ones, which would not stop the timer.
int TimerInterval(std::int64_t count, std::int64_t unitMs) {
    const std::int64_t ms =
        std::clamp<std::int64_t>(count, 0, std::numeric_limits<int>::max()) * unitMs;
    return static_cast<int>(std::min<std::int64_t>(ms, std::numeric_limits<int>::max()));
}

int AutoSaveIntervalMs(const AppState& state) {
    return state.autoSaveOn ? TimerInterval(state.autoSaveMinutes, 60000) : 0;
}

StartupPlan PlanStartup(AppState& state, const SettingsFileRead& read) {
    StartupPlan plan;
    switch (read.state) {
        case SettingsFileState::kMissing:
            break;
        case SettingsFileState::kDamaged:
            plan.fileDeleted = true;
            plan.runTimerSteps = false;
            return plan;
        case SettingsFileState::kLoaded:
            Restore(state, read.fields);
            plan.refreshIntervalMs = TimerInterval(read.fields.autoRefreshSeconds, 1000);
            plan.opacity = state.opacity;
            plan.selectSource = IsSourceNumber(read.fields.currentSource)
                                    ? static_cast<SourceId>(read.fields.currentSource)
                                    : SourceId::kNone;
            plan.topMost = state.alwaysOnTop;
            break;
    }
    plan.edgeIntervalMs = state.dockToEdge ? EDGE_TIMER_MS : 0;
    plan.autoSaveIntervalMs = AutoSaveIntervalMs(state);
    plan.taskbarButton = state.taskbarMode;
    return plan;
}

StartupPlan LoadSettings(AppState& state, const std::filesystem::path& path) {
    return PlanStartup(state, LoadSettingsFile(path));
}

SettingsFields ToSettingsFields(const AppState& state) {
    SettingsFields f;
    f.currentSource = static_cast<int>(state.currentSource);
    f.autoRefreshOn = state.autoRefreshOn;
    f.autoRefreshSeconds = state.autoRefreshSeconds;
    f.keywordMonitorOn = state.keywordMonitorOn;
    f.keywordText = state.keywordText;
    f.opacity = state.opacity;
    f.videoSoundOn = state.videoSoundOn;
    f.dockToEdge = state.dockToEdge;
    f.autoSaveOn = state.autoSaveOn;
    f.saveDirectory = state.saveDirectory;
    f.autoSaveMinutes = state.autoSaveMinutes;
    f.alwaysOnTop = state.alwaysOnTop;
    f.taskbarMode = state.taskbarMode;
    f.launchAtStartup = state.launchAtStartup;
    return f;
}

bool SaveSettings(const AppState& state, const std::filesystem::path& path) {
    const bool saved = SaveSettingsFile(ToSettingsFields(state), path);
    SweepTrayIcons();
    return saved;
}

}  // namespace vantrel
