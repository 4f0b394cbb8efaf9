#pragma once

#include <chrono>
#include <filesystem>
#include <string>

#include "app/app_state.h"
#include "cli/list_printer.h"
#include "settings/settings_file.h"

namespace vantrel {

class HistoryStore;

// `--history`: every topic of `source` over the lists stored in the last `since`.
// Status 0, or 1 when none was stored in that span (the output then holds the
// header line, or an empty JSON array).
PrintedList PrintHistory(SourceId source, std::chrono::seconds since, bool json,
                         HistoryStore& store);

// `--print --stored`: the source's last stored list in --print's columns, with
// no request; `change` stays empty. Status 0, or 1 when none is stored; the
// reason is then set, else `fetchedAt` holds the list's fetch time.
struct StoredPrint {
    PrintedList printed;
    std::string fetchedAt;  // ISO 8601 UTC
};
StoredPrint PrintStored(SourceId source, bool json, HistoryStore& store,
                        const std::filesystem::path& settingsPath = SettingsPath());

}  // namespace vantrel
