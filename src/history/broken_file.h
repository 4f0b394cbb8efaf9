#pragma once

#include <filesystem>
#include <optional>

#include "history/history_types.h"

namespace vantrel {

// "history.sqlite3.broken-YYYYmmdd-HHMMSS" in local time, "-2", "-3" ... added
// while the name is taken.
std::filesystem::path BrokenFileName(const std::filesystem::path& path, HistoryTime now,
                                     int copy = 1);

// Renames a damaged database aside, as it is, under the first free BrokenFileName(),
// with its write-ahead log and rollback journal beside it under the same
// name plus "-wal" / "-journal"; its shared-memory index is only a cache of
// the log and is removed. Returns the new name, nothing when it could not be moved.
std::optional<std::filesystem::path> MoveBrokenAside(const std::filesystem::path& path,
                                                     HistoryTime now);

}  // namespace vantrel
