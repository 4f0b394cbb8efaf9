#include "app/auto_save.h"

#include <ctime>
#include <utility>

#include "export/sheet_export.h"
#include "net/code_page.h"
#include "settings/settings_file.h"

namespace vantrel {

AutoSave::AutoSave(const AppState& state, const ListModel& list, RefreshCycle& refresh, Clock clock)
    : state_(state), list_(list), refresh_(refresh), clock_(std::move(clock)) {}

std::optional<std::filesystem::path> AutoSave::AutoSaveTick() {
    if (exporting_) {
        tickWaiting_ = true;
        return std::nullopt;
    }
    std::optional<std::filesystem::path> written = ExportOnce();
    while (std::exchange(tickWaiting_, false)) {
        if (auto again = ExportOnce()) written = again;
    }
    return written;
}

std::optional<std::filesystem::path> AutoSave::ExportOnce() {
    // The prompt is what the folder box shows while no folder is chosen; a
    // relative file beside the program is not what the user asked for.
    if (state_.saveDirectory.empty() || state_.saveDirectory == SAVE_DIRECTORY_PROMPT) {
        return std::nullopt;
    }
    const std::time_t now = std::chrono::system_clock::to_time_t(clock_());
    std::tm local{};
    localtime_r(&now, &local);
    const std::string path = AutoSavePath(state_.saveDirectory, state_.currentSource, local);

    exporting_ = true;
    refresh_.Hold();
    auto written = ExportListToSheet(list_, ToUtf8(path), ExistingFile::kKeep);
    exporting_ = false;
    refresh_.Release();
    return written;
}

}  // namespace vantrel
