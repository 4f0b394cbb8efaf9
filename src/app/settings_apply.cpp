#include "app/settings_apply.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "desktop/tray_sweep.h"

namespace vantrel {

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
            RestoreSettings(state, read.fields);
            plan.refreshIntervalMs = TimerInterval(read.fields.autoRefreshSeconds, 1000);
            plan.opacity = state.opacity;
            plan.selectSource = IsSourceNumber(static_cast<int>(read.fields.currentSource))
                                    ? read.fields.currentSource
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

bool SaveSettings(const AppState& state, const std::filesystem::path& path) {
    const bool saved = SaveSettingsFile(state, path);
    SweepTrayIcons();
    return saved;
}

}  // namespace vantrel
