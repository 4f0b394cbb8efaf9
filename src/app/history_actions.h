#pragma once

namespace vantrel {

class MainWindow;

// The ways into the history window: "历史" in the list's context menu, the H
// key on the row under the pointer, and a clock button in the title row. Also
// keeps the history to its retention (history.json beside the settings
// file): pruned now, at start-up, and once a day while the program runs.
void InstallHistoryActions(MainWindow& window);

// Deletes what is older than the retention allows. Returns the days kept.
int PruneHistory(MainWindow& window);

}  // namespace vantrel
