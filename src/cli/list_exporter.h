#pragma once

#include <filesystem>
#include <string>

#include "cli/list_printer.h"

namespace vantrel {

struct ExportedList {
    int status = 2;      // 0 filled, 1 filled nothing (header row only), 2 no answer, 3 not written
    std::string reason;  // one line for standard error when status is not 0
    std::string rulesStatus;  // UTF-8: one line for standard error when rules.json was not used
};

// Fetches a source as --print does and writes the list to `file` in the
// layout of the timed export, replacing a file of that name. With no answer
// no file is written.
ExportedList ExportList(SourceId source, const FetchRoutine& fetch,
                        const std::filesystem::path& file,
                        const std::filesystem::path& settingsPath = SettingsPath());

}  // namespace vantrel
