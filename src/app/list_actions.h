#pragma once

#include <string>

#include "model/source_id.h"

namespace vantrel {

class MainWindow;

// What the user can do with the list besides reading it: activate a row to
// search for its title, read a Baidu row's description on hover, open the
// source's full board from the view-all link. Links go to the default browser.
void InstallListActions(MainWindow& window);

// The browser-side effect of activating a row; separate so that a test can
// drive it without an event.
void OpenRowLink(MainWindow& window, int row);

// What activating a row of `source` with this title, page and Douyin links
// does, whether or not such a row is on the list now (a notification's row).
void OpenListEntry(MainWindow& window, SourceId source, const std::string& title,
                   const std::string& page, const std::string& douyinLinks);

}  // namespace vantrel
