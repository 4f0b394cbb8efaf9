#pragma once

#include <filesystem>
#include <optional>

#include "app/app_state.h"
#include "app/refresh_cycle.h"
#include "model/list_model.h"

namespace vantrel {

// What the timer "时钟_自动保存" does: writes the list on screen into a new
// file in the save folder, named after the source shown and the moment.
class AutoSave {
  public:
    AutoSave(
        const AppState& state, const ListModel& list, RefreshCycle& refresh,
        Clock clock = [] { return std::chrono::system_clock::now(); });

    // Returns the file written. Nothing when no folder is chosen or the folder
    // cannot be written (the next tick tries again), or when the tick came
    // while an export was running: it then runs once that export has finished.
    // Fetches asked for during the export wait until it is done, so a file
    // never mixes two lists.
    std::optional<std::filesystem::path> AutoSaveTick();

    bool Exporting() const { return exporting_; }

  private:
    std::optional<std::filesystem::path> ExportOnce();

    const AppState& state_;
    const ListModel& list_;
    RefreshCycle& refresh_;
    Clock clock_;
    bool exporting_ = false;
    bool tickWaiting_ = false;
};

}  // namespace vantrel
